#include "platform/sim/SimShell.h"

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

namespace {

// What Windows returns for a program it started.
constexpr win::INT_PTR kStarted = 42;

} // namespace

void SimShell::Associate(const std::string& extension, win::INT_PTR result)
{
    m_associations[codepage::FoldCase(m_files.CodePage(), extension)] = {result, {}};
}

void SimShell::AssociateHandler(const std::string& extension, const std::string& handler,
                                win::INT_PTR accepted)
{
    m_associations[codepage::FoldCase(m_files.CodePage(), extension)] = {accepted, handler};
}

win::INT_PTR SimShell::FromStartError(win::DWORD error)
{
    if (error < 32)
        return static_cast<win::INT_PTR>(error);
    if (error == win::ERROR_CANCELLED)
        return win::SE_ERR_ACCESSDENIED;
    return static_cast<win::INT_PTR>(win::ERROR_BAD_FORMAT);
}

win::DWORD SimShell::StartError(const std::string& program) const
{
    const std::string path = winpath::FullPath(m_currentFolder, program, m_files.CodePage());
    if (winpath::TooLong(path))
        return win::ERROR_PATH_NOT_FOUND;
    const SimFile* file = m_files.Find(path);
    if (file == nullptr)
        return m_files.MissingFileError(path);
    if (!file->isProgram)
        return win::ERROR_BAD_EXE_FORMAT;
    return file->program.startError;
}

win::INT_PTR SimShell::Result(const char* verb, const char* file, const char* directory) const
{
    if (file == nullptr)
        return win::SE_ERR_FNF;
    const unsigned codePage = m_files.CodePage();
    const std::string path =
        winpath::FullPath(directory ? directory : m_currentFolder, file, codePage);
    // The shell finds no file at a path of MAX_PATH characters or more.
    if (winpath::TooLong(path))
        return win::SE_ERR_FNF;
    const SimFile* found = m_files.Find(path);
    if (found == nullptr)
        return m_files.MissingFileError(path) == win::ERROR_PATH_NOT_FOUND ? win::SE_ERR_PNF
                                                                           : win::SE_ERR_FNF;
    const std::string name = winpath::FileName(path, codePage);
    const auto dot = codepage::FindLast(codePage, name, '.');
    const std::string extension =
        dot == std::string::npos ? std::string() : codepage::FoldCase(codePage, name.substr(dot));
    // The verb "open" (or none, the default verb) is what an association offers.
    const bool opens = verb == nullptr || codepage::FoldCase(codePage, verb) == "open";
    // A program is started, whatever the file holds; one that is no
    // program fails as CreateProcess fails it.
    if (opens && extension == ".exe") {
        const win::DWORD error =
            found->isProgram ? found->program.startError : win::ERROR_BAD_EXE_FORMAT;
        return error == 0 ? kStarted : FromStartError(error);
    }
    const auto association = m_associations.find(extension);
    if (association == m_associations.end() || !opens)
        return win::SE_ERR_NOASSOC;
    if (association->second.handler.empty())
        return association->second.result;
    const win::DWORD error = StartError(association->second.handler);
    return error == 0 ? association->second.result : FromStartError(error);
}

win::INT_PTR SimShell::Execute(win::HWND owner, const char* verb, const char* file,
                               const char* parameters, const char* directory, int showCommand)
{
    const win::INT_PTR result = Result(verb, file, directory);
    m_trace.Record({{"effect", "shell_open"},
                    {"owner", owner == nullptr ? nlohmann::json() : nlohmann::json("window")},
                    {"verb", TextOrNull(verb)},
                    {"file", TextOrNull(file)},
                    {"parameters", TextOrNull(parameters)},
                    {"directory", TextOrNull(directory)},
                    {"show", showCommand},
                    {"result", result}});
    return result;
}

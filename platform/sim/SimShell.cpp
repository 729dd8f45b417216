#include "platform/sim/SimShell.h"

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

void SimShell::Associate(const std::string& extension, win::INT_PTR result)
{
    m_associations[winpath::Fold(extension)] = result;
}

win::INT_PTR SimShell::Result(const char* verb, const char* file, const char* directory) const
{
    if (file == nullptr)
        return win::SE_ERR_FNF;
    const std::string path = winpath::Resolve(directory ? directory : m_currentFolder, file);
    const SimFile* found = m_files.Find(path);
    if (found == nullptr)
        return m_files.MissingFileError(path) == win::ERROR_PATH_NOT_FOUND ? win::SE_ERR_PNF
                                                                           : win::SE_ERR_FNF;
    const std::string name = winpath::FileName(path);
    const auto dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : winpath::Fold(name.substr(dot));
    // The verb "open" (or none, the default verb) is what an association offers.
    const bool opens = verb == nullptr || winpath::Fold(verb) == "open";
    if (found->isProgram && opens && extension == ".exe")
        return 42;
    const auto association = m_associations.find(extension);
    if (association == m_associations.end() || !opens)
        return win::SE_ERR_NOASSOC;
    return association->second;
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

#include "app/LauncherApp.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when `path` names a file, not a folder.
bool IsExistingFile(Platform& os, const char* path)
{
    const win::DWORD attributes = os.GetFileAttributesA(path);
    return attributes != win::INVALID_FILE_ATTRIBUTES &&
           (attributes & win::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The first `length` characters of `commandLine`, with ".exe" added where
// needed, when they name an existing file.
bool IsProgramCandidate(Platform& os, const char* commandLine, std::size_t length,
                        CLauncherApp::PathText& program)
{
    if (length == 0 || length >= sizeof program)
        return false;
    for (std::size_t i = 0; i < length; ++i)
        program[i] = commandLine[i];
    program[length] = '\0';
    return AddDefaultExtension(os, program) && IsExistingFile(os, program);
}

} // namespace

bool FindProgramFile(Platform& os, const char* commandLine, std::size_t nameStart,
                     CLauncherApp::PathText& program)
{
    const std::size_t length = text::Length(commandLine);
    // A candidate holds at least one character behind the folder's separator.
    for (std::size_t end = nameStart + 1; end <= length; ++end) {
        if ((end == length || IsBlank(commandLine[end])) &&
            IsProgramCandidate(os, commandLine, end, program))
            return true;
    }
    program[0] = '\0';
    return false;
}

int CLauncherApp::RunInstaller(PathText& commandLine, std::size_t nameStart)
{
    // The program is looked for in the command as the settings formed it,
    // before the launcher's own " Silence"; nothing is started that could not
    // be formed whole.
    PathText program;
    bool formed = commandLine[0] != '\0' && FindProgramFile(m_os, commandLine, nameStart, program);
    if (formed && Silent != 0)
        formed = text::Append(commandLine, " Silence");

    win::PROCESS_INFORMATION child = {};
    if (!formed || !m_os.CreateProcessA(program, commandLine, win::FALSE, 0, &child)) {
        ShowMessage("CreateProcess failed.");
        return 0;
    }
    // Declared thread first, so the process handle is closed first.
    OwnedHandle thread(m_os, child.hThread);
    OwnedHandle process(m_os, child.hProcess);

    // A failed wait counts as an ended child; the exit code is not asked for.
    m_os.WaitForSingleObject(process.get(), win::INFINITE);
    return 1;
}

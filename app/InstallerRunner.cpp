#include "app/LauncherApp.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

int CLauncherApp::RunInstaller(const char* programPath, PathText& commandLine)
{
    // Nothing is started that could not be formed whole, " Silence" included.
    bool formed = programPath != nullptr && commandLine[0] != '\0';
    if (formed && Silent != 0)
        formed = text::Append(commandLine, " Silence");

    win::PROCESS_INFORMATION child = {};
    if (!formed || !m_os.CreateProcessA(programPath, commandLine, win::FALSE, 0, &child)) {
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

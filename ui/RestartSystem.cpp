#include "ui/LauncherDlg.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"

void CLauncherDlg::RestartSystem()
{
    const win::HANDLE process = m_os.GetCurrentProcess();
    win::TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    m_os.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = win::SE_PRIVILEGE_ENABLED;

    OwnedHandle token(m_os, nullptr);
    // Without a token there is nothing to adjust; the request is made anyway
    // and the system decides.
    if (m_os.OpenProcessToken(process, win::TOKEN_ALL_ACCESS, token.receive()) &&
        token.get() != nullptr)
        m_os.AdjustTokenPrivileges(token.get(), win::FALSE, &privileges, 0, nullptr, nullptr);

    m_os.ExitWindowsEx(win::EWX_REBOOT, 0);
}

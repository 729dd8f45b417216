#include "app/LauncherApp.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"

int CLauncherApp::CheckFinishInstallFlag()
{
    if (Settings.CheckFinishInstall == 0)
        return 1;

    // The driver installer is a 32-bit program: on 64-bit Windows its mark lies
    // in the 32-bit view.
    const char* keyPath = Is64BitOS ? "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"
                                    : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    OwnedKey key(m_os);
    if (m_os.RegOpenKeyExA(keyPath, 0, win::KEY_QUERY_VALUE, key.receive()) != win::ERROR_SUCCESS)
        return 1;

    // Only a whole 32-bit number holding 1 is the mark; shorter data is not.
    win::DWORD mark = 0;
    win::DWORD size = sizeof mark;
    const win::LONG status = m_os.RegQueryValueExA(key.get(), "FinishInstall", nullptr,
                                                   reinterpret_cast<win::BYTE*>(&mark), &size);
    FinishInstalled = (status == win::ERROR_SUCCESS && size == sizeof mark && mark == 1) ? 1 : 0;
    return 1;
}

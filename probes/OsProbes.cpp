#include "probes/OsProbes.h"

#include "platform/Owners.h"
#include "platform/WinConstants.h"
#include "text/Text.h"

namespace {

// The version record, or one of all zeros (no NT 6 system) when the system
// does not give it.
win::OSVERSIONINFOA GetVersionRecord(Platform& os)
{
    win::OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!os.GetVersionExA(&info)) {
        info = {};
        info.dwOSVersionInfoSize = sizeof info;
    }
    // The service-pack text is compared as a terminated text; a record that
    // fills all 128 bytes must not lead the comparison beyond it.
    info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
    return info;
}

bool IsNT6(const win::OSVERSIONINFOA& info)
{
    return info.dwPlatformId == win::VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 6;
}

} // namespace

int DetectWinNT6(Platform& os) { return IsNT6(GetVersionRecord(os)) ? 1 : 0; }

int DetectVistaSP1(Platform& os)
{
    // The minor version is not looked at: NT 6.1 with Service Pack 1 counts too.
    const win::OSVERSIONINFOA info = GetVersionRecord(os);
    return IsNT6(info) && text::EqualsIgnoreCase(info.szCSDVersion, "Service Pack 1") ? 1 : 0;
}

int DetectWin7(Platform& os)
{
    const win::OSVERSIONINFOA info = GetVersionRecord(os);
    return IsNT6(info) && info.dwMinorVersion == 1 ? 1 : 0;
}

int Detect64BitOS(Platform& os)
{
    // Only 64-bit Windows keeps a separate program folder for 32-bit programs.
    // One byte more than the query may fill keeps the text terminated even when
    // the stored data is not.
    char programFiles[256 + 1] = {};
    OwnedKey key(os);
    if (os.RegOpenKeyExA("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, win::KEY_QUERY_VALUE,
                         key.receive()) != win::ERROR_SUCCESS)
        return 0;
    win::DWORD size = 256;
    if (os.RegQueryValueExA(key.get(), "ProgramFilesDir (x86)", nullptr,
                            reinterpret_cast<win::BYTE*>(programFiles), &size) != win::ERROR_SUCCESS)
        programFiles[0] = '\0';
    const char* suffix = text::FindLast(programFiles, '(');
    return suffix != nullptr && text::EqualsIgnoreCase(suffix, "(x86)") ? 1 : 0;
}

// Only marshalling here: the portable types carry Win32's widths, so each
// value passes through unchanged.
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <shellapi.h>

namespace {

HKEY ToKey(win::HKEY key) { return reinterpret_cast<HKEY>(key); }
HANDLE ToHandle(win::HANDLE handle) { return reinterpret_cast<HANDLE>(handle); }
HWND ToWindow(win::HWND window) { return reinterpret_cast<HWND>(window); }

static_assert(sizeof(win::OSVERSIONINFOA) == sizeof(OSVERSIONINFOA), "version record layout");
static_assert(sizeof(win::PROCESS_INFORMATION) == sizeof(PROCESS_INFORMATION),
              "process record layout");

} // namespace

win::DWORD Win32Platform::GetModuleFileNameA(char* fileName, win::DWORD size)
{
    return ::GetModuleFileNameA(nullptr, fileName, size);
}

const char* Win32Platform::GetCommandLineA() { return ::GetCommandLineA(); }

win::DWORD Win32Platform::GetPrivateProfileStringA(const char* section, const char* key,
                                                   const char* defaultText, char* returned,
                                                   win::DWORD size, const char* fileName)
{
    return ::GetPrivateProfileStringA(section, key, defaultText, returned, size, fileName);
}

win::BOOL Win32Platform::GetVersionExA(win::OSVERSIONINFOA* info)
{
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info));
}

win::DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

win::BOOL Win32Platform::IsDBCSLeadByte(win::BYTE testChar) { return ::IsDBCSLeadByte(testChar); }

win::LONG Win32Platform::RegOpenKeyExA(const char* subKey, win::DWORD options, win::DWORD access,
                                       win::HKEY* result)
{
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, options, access,
                           reinterpret_cast<HKEY*>(result));
}

win::LONG Win32Platform::RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* type,
                                          win::BYTE* data, win::DWORD* dataSize)
{
    return ::RegQueryValueExA(ToKey(key), valueName, nullptr, reinterpret_cast<DWORD*>(type), data,
                              reinterpret_cast<DWORD*>(dataSize));
}

win::LONG Win32Platform::RegCloseKey(win::HKEY key) { return ::RegCloseKey(ToKey(key)); }

win::BOOL Win32Platform::CreateProcessA(const char* applicationName, char* commandLine,
                                        win::BOOL inheritHandles, win::DWORD creationFlags,
                                        win::PROCESS_INFORMATION* processInformation)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return ::CreateProcessA(applicationName, commandLine, nullptr, nullptr, inheritHandles,
                            creationFlags, nullptr, nullptr, &startup,
                            reinterpret_cast<PROCESS_INFORMATION*>(processInformation));
}

win::DWORD Win32Platform::WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds)
{
    return ::WaitForSingleObject(ToHandle(handle), milliseconds);
}

win::BOOL Win32Platform::CloseHandle(win::HANDLE handle) { return ::CloseHandle(ToHandle(handle)); }

win::INT_PTR Win32Platform::ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                                          const char* parameters, const char* directory,
                                          int showCommand)
{
    return reinterpret_cast<win::INT_PTR>(
        ::ShellExecuteA(ToWindow(owner), verb, file, parameters, directory, showCommand));
}

int Win32Platform::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                               win::UINT type)
{
    return ::MessageBoxA(ToWindow(owner), text, caption, type);
}

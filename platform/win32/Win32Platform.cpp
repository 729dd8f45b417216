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
static_assert(sizeof(win::RECT) == sizeof(RECT), "rectangle layout");
static_assert(sizeof(win::PAINTSTRUCT) == sizeof(PAINTSTRUCT), "paint record layout");
static_assert(sizeof(win::LUID) == sizeof(LUID), "privilege identifier layout");
static_assert(sizeof(win::TOKEN_PRIVILEGES) == sizeof(TOKEN_PRIVILEGES), "privilege record layout");

HINSTANCE ToInstance(win::HINSTANCE instance) { return reinterpret_cast<HINSTANCE>(instance); }
HICON ToIcon(win::HICON icon) { return reinterpret_cast<HICON>(icon); }
HDC ToDc(win::HDC dc) { return reinterpret_cast<HDC>(dc); }
win::HWND FromWindow(HWND window) { return reinterpret_cast<win::HWND>(window); }

// The dialog procedure of every dialog the portable code runs: the host
// arrives with WM_INITDIALOG and stays in the dialog's user slot.
INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* host = reinterpret_cast<DialogHost*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (host == nullptr)
        return FALSE;
    return host->DialogProc(FromWindow(dialog), message, wParam, lParam);
}

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

win::INT_PTR Win32Platform::DialogBoxParamA(win::HINSTANCE instance, int templateId,
                                            win::HWND parent, DialogHost* host)
{
    return ::DialogBoxParamA(ToInstance(instance), MAKEINTRESOURCEA(templateId), ToWindow(parent),
                             DialogThunk, reinterpret_cast<LPARAM>(host));
}

win::BOOL Win32Platform::EndDialog(win::HWND dialog, win::INT_PTR result)
{
    return ::EndDialog(ToWindow(dialog), result);
}

win::BOOL Win32Platform::DestroyWindow(win::HWND window)
{
    return ::DestroyWindow(ToWindow(window));
}

win::BOOL Win32Platform::ShowWindow(win::HWND window, int command)
{
    return ::ShowWindow(ToWindow(window), command);
}

win::BOOL Win32Platform::IsIconic(win::HWND window) { return ::IsIconic(ToWindow(window)); }

win::BOOL Win32Platform::IsWindowVisible(win::HWND window)
{
    return ::IsWindowVisible(ToWindow(window));
}

win::BOOL Win32Platform::GetClientRect(win::HWND window, win::RECT* rect)
{
    return ::GetClientRect(ToWindow(window), reinterpret_cast<RECT*>(rect));
}

win::BOOL Win32Platform::GetWindowRect(win::HWND window, win::RECT* rect)
{
    return ::GetWindowRect(ToWindow(window), reinterpret_cast<RECT*>(rect));
}

win::BOOL Win32Platform::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y,
                                      int cx, int cy, win::UINT flags)
{
    return ::SetWindowPos(ToWindow(window), ToWindow(insertAfter), x, y, cx, cy, flags);
}

win::LRESULT Win32Platform::SendMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                         win::LPARAM lParam)
{
    return ::SendMessageA(ToWindow(window), message, wParam, lParam);
}

win::BOOL Win32Platform::PostMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                      win::LPARAM lParam)
{
    return ::PostMessageA(ToWindow(window), message, wParam, lParam);
}

win::UINT_PTR Win32Platform::SetTimer(win::HWND window, win::UINT_PTR id, win::UINT elapse)
{
    return ::SetTimer(ToWindow(window), id, elapse, nullptr);
}

win::BOOL Win32Platform::KillTimer(win::HWND window, win::UINT_PTR id)
{
    return ::KillTimer(ToWindow(window), id);
}

win::HWND Win32Platform::GetDesktopWindow() { return FromWindow(::GetDesktopWindow()); }

win::HWND Win32Platform::FindWindowExA(win::HWND parent, win::HWND childAfter,
                                       const char* className, const char* windowName)
{
    return FromWindow(::FindWindowExA(ToWindow(parent), ToWindow(childAfter), className,
                                      windowName));
}

win::HWND Win32Platform::GetWindow(win::HWND window, win::UINT command)
{
    return FromWindow(::GetWindow(ToWindow(window), command));
}

int Win32Platform::GetClassNameA(win::HWND window, char* className, int maxCount)
{
    return ::GetClassNameA(ToWindow(window), className, maxCount);
}

win::LONG Win32Platform::GetWindowLongA(win::HWND window, int index)
{
    return ::GetWindowLongA(ToWindow(window), index);
}

win::HDC Win32Platform::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint)
{
    return reinterpret_cast<win::HDC>(
        ::BeginPaint(ToWindow(window), reinterpret_cast<PAINTSTRUCT*>(paint)));
}

win::BOOL Win32Platform::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint)
{
    return ::EndPaint(ToWindow(window), reinterpret_cast<const PAINTSTRUCT*>(paint));
}

win::BOOL Win32Platform::DrawIcon(win::HDC dc, int x, int y, win::HICON icon)
{
    return ::DrawIcon(ToDc(dc), x, y, ToIcon(icon));
}

int Win32Platform::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

win::BOOL Win32Platform::SystemParametersInfoA(win::UINT action, win::UINT param, win::RECT* data,
                                               win::UINT winIni)
{
    return ::SystemParametersInfoA(action, param, data, winIni);
}

win::HINSTANCE Win32Platform::GetModuleHandleA(const char* moduleName)
{
    return reinterpret_cast<win::HINSTANCE>(::GetModuleHandleA(moduleName));
}

win::HICON Win32Platform::LoadIconA(win::HINSTANCE instance, int iconId)
{
    return reinterpret_cast<win::HICON>(::LoadIconA(ToInstance(instance), MAKEINTRESOURCEA(iconId)));
}

win::BOOL Win32Platform::WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                                  win::UINT_PTR data)
{
    return ::WinHelpA(ToWindow(window), helpFile, command, data);
}

win::HANDLE Win32Platform::GetCurrentProcess()
{
    return reinterpret_cast<win::HANDLE>(::GetCurrentProcess());
}

win::BOOL Win32Platform::OpenProcessToken(win::HANDLE process, win::DWORD access,
                                          win::HANDLE* token)
{
    return ::OpenProcessToken(ToHandle(process), access, reinterpret_cast<HANDLE*>(token));
}

win::BOOL Win32Platform::LookupPrivilegeValueA(const char* systemName, const char* name,
                                               win::LUID* luid)
{
    return ::LookupPrivilegeValueA(systemName, name, reinterpret_cast<LUID*>(luid));
}

win::BOOL Win32Platform::AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                               win::TOKEN_PRIVILEGES* newState,
                                               win::DWORD bufferLength,
                                               win::TOKEN_PRIVILEGES* previousState,
                                               win::DWORD* returnLength)
{
    return ::AdjustTokenPrivileges(ToHandle(token), disableAll,
                                   reinterpret_cast<TOKEN_PRIVILEGES*>(newState), bufferLength,
                                   reinterpret_cast<TOKEN_PRIVILEGES*>(previousState),
                                   reinterpret_cast<DWORD*>(returnLength));
}

win::BOOL Win32Platform::ExitWindowsEx(win::UINT flags, win::DWORD reason)
{
    return ::ExitWindowsEx(flags, reason);
}

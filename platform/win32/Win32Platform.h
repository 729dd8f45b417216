// The platform interface on real Windows: each operation is the Win32 call of
// the same name, with the launcher's fixed arguments filled in.
#pragma once

#include "platform/Platform.h"

class Win32Platform final : public Platform {
public:
    win::DWORD GetModuleFileNameA(char* fileName, win::DWORD size) override;
    const char* GetCommandLineA() override;
    win::DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                        const char* defaultText, char* returned,
                                        win::DWORD size, const char* fileName) override;
    win::BOOL GetVersionExA(win::OSVERSIONINFOA* info) override;
    win::DWORD GetLastError() override;

    win::LONG RegOpenKeyExA(const char* subKey, win::DWORD options, win::DWORD access,
                            win::HKEY* result) override;
    win::LONG RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* type,
                               win::BYTE* data, win::DWORD* dataSize) override;
    win::LONG RegCloseKey(win::HKEY key) override;

    win::BOOL CreateProcessA(const char* applicationName, char* commandLine,
                             win::BOOL inheritHandles, win::DWORD creationFlags,
                             win::PROCESS_INFORMATION* processInformation) override;
    win::DWORD WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds) override;
    win::BOOL CloseHandle(win::HANDLE handle) override;

    win::INT_PTR ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                               const char* parameters, const char* directory,
                               int showCommand) override;
    int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                    win::UINT type) override;

    // Windows, dialogs, timers, painting, icons, help.
    win::INT_PTR DialogBoxParamA(win::HINSTANCE instance, int templateId, win::HWND parent,
                                 DialogHost* host) override;
    win::BOOL EndDialog(win::HWND dialog, win::INT_PTR result) override;
    win::BOOL DestroyWindow(win::HWND window) override;
    win::BOOL ShowWindow(win::HWND window, int command) override;
    win::BOOL IsIconic(win::HWND window) override;
    win::BOOL IsWindowVisible(win::HWND window) override;
    win::BOOL GetClientRect(win::HWND window, win::RECT* rect) override;
    win::BOOL GetWindowRect(win::HWND window, win::RECT* rect) override;
    win::BOOL SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx, int cy,
                           win::UINT flags) override;
    win::LRESULT SendMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                              win::LPARAM lParam) override;
    win::BOOL PostMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                           win::LPARAM lParam) override;
    win::UINT_PTR SetTimer(win::HWND window, win::UINT_PTR id, win::UINT elapse) override;
    win::BOOL KillTimer(win::HWND window, win::UINT_PTR id) override;
    win::HWND GetDesktopWindow() override;
    win::HWND FindWindowExA(win::HWND parent, win::HWND childAfter, const char* className,
                            const char* windowName) override;
    win::HWND GetWindow(win::HWND window, win::UINT command) override;
    int GetClassNameA(win::HWND window, char* className, int maxCount) override;
    win::LONG GetWindowLongA(win::HWND window, int index) override;
    win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) override;
    win::BOOL EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) override;
    win::BOOL DrawIcon(win::HDC dc, int x, int y, win::HICON icon) override;
    int GetSystemMetrics(int index) override;
    win::BOOL SystemParametersInfoA(win::UINT action, win::UINT param, win::RECT* data,
                                    win::UINT winIni) override;
    win::HINSTANCE GetModuleHandleA(const char* moduleName) override;
    win::HICON LoadIconA(win::HINSTANCE instance, int iconId) override;
    win::BOOL WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                       win::UINT_PTR data) override;

    // Security and shutdown.
    win::HANDLE GetCurrentProcess() override;
    win::BOOL OpenProcessToken(win::HANDLE process, win::DWORD access, win::HANDLE* token) override;
    win::BOOL LookupPrivilegeValueA(const char* systemName, const char* name,
                                    win::LUID* luid) override;
    win::BOOL AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                    win::TOKEN_PRIVILEGES* newState, win::DWORD bufferLength,
                                    win::TOKEN_PRIVILEGES* previousState,
                                    win::DWORD* returnLength) override;
    win::BOOL ExitWindowsEx(win::UINT flags, win::DWORD reason) override;
};

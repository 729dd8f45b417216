// The one interface between the launcher's decisions and the operating system.
//
// Every Windows operation the launcher makes goes through `Platform`. Each
// method has the name, parameter order and result of the Win32 function it
// stands for, narrowed to what the launcher passes; the Win32 implementation
// forwards each call as it is, the simulated machine answers it the way
// Windows would. The types below carry Win32's widths but not its headers, so
// the portable code builds on any host.
#pragma once

#include <cstdint>

namespace win {

using BOOL = int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using BYTE = std::uint8_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct HandleTag;
struct WindowTag;
struct KeyTag;
using HANDLE = HandleTag*;
using HWND = WindowTag*;
using HKEY = KeyTag*;

// Windows, dialogs, painting and icons.
struct InstanceTag;
struct IconTag;
struct DeviceContextTag;
using HINSTANCE = InstanceTag*;
using HICON = IconTag*;
using HCURSOR = IconTag*; // an icon serves as a cursor
using HDC = DeviceContextTag*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// PAINTSTRUCT, byte for byte.
struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

// Security: a privilege's identifier and the record handed to the system.
struct LUID {
    DWORD LowPart;
    LONG HighPart;
};
struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};
struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};

// OSVERSIONINFOA, byte for byte.
struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

// PROCESS_INFORMATION: what CreateProcessA hands back.
struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

} // namespace win

// The window procedure of a dialog that the portable code runs: the dialog
// manager hands it every message of the dialog window, WM_INITDIALOG first.
// The answer is a dialog procedure's: nonzero when the message was handled
// (or, for the few messages that answer with a value, that value); zero asks
// for the dialog manager's default processing.
class DialogHost {
public:
    virtual win::INT_PTR DialogProc(win::HWND dialog, win::UINT message, win::WPARAM wParam,
                                    win::LPARAM lParam) = 0;

protected:
    ~DialogHost() = default;
};

class Platform {
public:
    // Kernel: the program's own file (no module handle), profile files,
    // version record, last error.
    virtual win::DWORD GetModuleFileNameA(char* fileName, win::DWORD size) = 0;
    virtual const char* GetCommandLineA() = 0;
    virtual win::DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                                const char* defaultText, char* returned,
                                                win::DWORD size, const char* fileName) = 0;
    virtual win::BOOL GetVersionExA(win::OSVERSIONINFOA* info) = 0;
    virtual win::DWORD GetLastError() = 0;

    // Registry, read only. `RegOpenKeyExA` opens beneath HKEY_LOCAL_MACHINE.
    virtual win::LONG RegOpenKeyExA(const char* subKey, win::DWORD options, win::DWORD access,
                                    win::HKEY* result) = 0;
    virtual win::LONG RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* type,
                                       win::BYTE* data, win::DWORD* dataSize) = 0;
    virtual win::LONG RegCloseKey(win::HKEY key) = 0;

    // Child processes. No security attributes, no environment block and no
    // current directory of the launcher's own; the start-up record is all
    // zero but for its size.
    virtual win::BOOL CreateProcessA(const char* applicationName, char* commandLine,
                                     win::BOOL inheritHandles, win::DWORD creationFlags,
                                     win::PROCESS_INFORMATION* processInformation) = 0;
    virtual win::DWORD WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds) = 0;
    virtual win::BOOL CloseHandle(win::HANDLE handle) = 0;

    // Shell and user interface.
    virtual win::INT_PTR ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory,
                                       int showCommand) = 0;
    virtual int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                            win::UINT type) = 0;

    // Windows and dialogs. A modal dialog from a template of `instance` runs
    // its own message loop until EndDialog; its timers and the nested loops of
    // message boxes deliver through `host`.
    virtual win::INT_PTR DialogBoxParamA(win::HINSTANCE instance, int templateId, win::HWND parent,
                                         DialogHost* host) = 0;
    virtual win::BOOL EndDialog(win::HWND dialog, win::INT_PTR result) = 0;
    virtual win::BOOL DestroyWindow(win::HWND window) = 0;
    virtual win::BOOL ShowWindow(win::HWND window, int command) = 0;
    virtual win::BOOL IsIconic(win::HWND window) = 0;
    virtual win::BOOL IsWindowVisible(win::HWND window) = 0;
    virtual win::BOOL GetClientRect(win::HWND window, win::RECT* rect) = 0;
    virtual win::BOOL GetWindowRect(win::HWND window, win::RECT* rect) = 0;
    virtual win::BOOL SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y, int cx,
                                   int cy, win::UINT flags) = 0;
    virtual win::LRESULT SendMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                      win::LPARAM lParam) = 0;
    virtual win::BOOL PostMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                   win::LPARAM lParam) = 0;
    // Timers without a callback: ticks arrive as WM_TIMER.
    virtual win::UINT_PTR SetTimer(win::HWND window, win::UINT_PTR id, win::UINT elapse) = 0;
    virtual win::BOOL KillTimer(win::HWND window, win::UINT_PTR id) = 0;

    // The window manager's lists, of every process.
    virtual win::HWND GetDesktopWindow() = 0;
    virtual win::HWND FindWindowExA(win::HWND parent, win::HWND childAfter, const char* className,
                                    const char* windowName) = 0;
    virtual win::HWND GetWindow(win::HWND window, win::UINT command) = 0;
    virtual int GetClassNameA(win::HWND window, char* className, int maxCount) = 0;
    virtual win::LONG GetWindowLongA(win::HWND window, int index) = 0;

    // Painting, metrics, icons, resources and help.
    virtual win::HDC BeginPaint(win::HWND window, win::PAINTSTRUCT* paint) = 0;
    virtual win::BOOL EndPaint(win::HWND window, const win::PAINTSTRUCT* paint) = 0;
    virtual win::BOOL DrawIcon(win::HDC dc, int x, int y, win::HICON icon) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // SPI_GETWORKAREA is the one query the launcher makes.
    virtual win::BOOL SystemParametersInfoA(win::UINT action, win::UINT param, win::RECT* data,
                                            win::UINT winIni) = 0;
    virtual win::HINSTANCE GetModuleHandleA(const char* moduleName) = 0;
    // An icon resource by number, at the system's standard icon size.
    virtual win::HICON LoadIconA(win::HINSTANCE instance, int iconId) = 0;
    virtual win::BOOL WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                               win::UINT_PTR data) = 0;

    // Security and shutdown.
    virtual win::HANDLE GetCurrentProcess() = 0;
    virtual win::BOOL OpenProcessToken(win::HANDLE process, win::DWORD access,
                                       win::HANDLE* token) = 0;
    virtual win::BOOL LookupPrivilegeValueA(const char* systemName, const char* name,
                                            win::LUID* luid) = 0;
    virtual win::BOOL AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                            win::TOKEN_PRIVILEGES* newState,
                                            win::DWORD bufferLength,
                                            win::TOKEN_PRIVILEGES* previousState,
                                            win::DWORD* returnLength) = 0;
    virtual win::BOOL ExitWindowsEx(win::UINT flags, win::DWORD reason) = 0;

protected:
    ~Platform() = default;
};

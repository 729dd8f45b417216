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

struct HandleTag;
struct WindowTag;
struct KeyTag;
using HANDLE = HandleTag*;
using HWND = WindowTag*;
using HKEY = KeyTag*;

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

    // Code page: whether the byte opens a two-byte character of the system's
    // ANSI code page, so that texts are scanned by characters.
    virtual win::BOOL IsDBCSLeadByte(win::BYTE testChar) = 0;

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

protected:
    ~Platform() = default;
};

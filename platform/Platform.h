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

#include "platform/Com.h"

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

// Device information sets (SetupAPI).
struct DevInfoTag;
using HDEVINFO = DevInfoTag*;

// SP_DEVINFO_DATA: one element of a device information set (28 bytes on
// 32-bit Windows).
struct SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    std::uintptr_t Reserved;
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

    // Files: the attributes of a file or folder, INVALID_FILE_ATTRIBUTES with
    // the last error set when the name names neither.
    virtual win::DWORD GetFileAttributesA(const char* fileName) = 0;

    // Shell and user interface.
    virtual win::INT_PTR ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory,
                                       int showCommand) = 0;
    virtual int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                            win::UINT type) = 0;

    // Device maintenance: the thread's last error, pauses, SetupAPI device
    // information sets, COM and the conversions of its texts.
    virtual void SetLastError(win::DWORD error) = 0;
    virtual void Sleep(win::DWORD milliseconds) = 0;
    virtual win::HDEVINFO SetupDiGetClassDevsA(const win::GUID* classGuid, const char* enumerator,
                                               win::HWND parent, win::DWORD flags) = 0;
    virtual win::BOOL SetupDiEnumDeviceInfo(win::HDEVINFO set, win::DWORD index,
                                            win::SP_DEVINFO_DATA* device) = 0;
    virtual win::BOOL SetupDiGetDeviceRegistryPropertyA(win::HDEVINFO set,
                                                        win::SP_DEVINFO_DATA* device,
                                                        win::DWORD property, win::DWORD* type,
                                                        win::BYTE* buffer, win::DWORD bufferSize,
                                                        win::DWORD* requiredSize) = 0;
    virtual win::BOOL SetupDiRemoveDevice(win::HDEVINFO set, win::SP_DEVINFO_DATA* device) = 0;
    virtual win::BOOL SetupDiDestroyDeviceInfoList(win::HDEVINFO set) = 0;
    virtual win::HRESULT CoInitialize(void* reserved) = 0;
    virtual void CoUninitialize() = 0;
    virtual win::HRESULT CoCreateInstance(const win::CLSID& classId, win::IUnknown* outer,
                                          win::DWORD context, const win::IID& iid,
                                          void** object) = 0;
    virtual void SysFreeString(win::BSTR text) = 0;
    virtual int WideCharToMultiByte(win::UINT codePage, win::DWORD flags, const win::OLECHAR* wide,
                                    int wideLength, char* out, int outSize,
                                    const char* defaultChar, win::BOOL* usedDefault) = 0;

protected:
    ~Platform() = default;
};

// Only marshalling here: the portable types carry Win32's widths, so each
// value passes through unchanged.
#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <shellapi.h>
#include <objbase.h>
#include <oleauto.h>
#include <setupapi.h>

namespace {

HKEY ToKey(win::HKEY key) { return reinterpret_cast<HKEY>(key); }
HANDLE ToHandle(win::HANDLE handle) { return reinterpret_cast<HANDLE>(handle); }
HWND ToWindow(win::HWND window) { return reinterpret_cast<HWND>(window); }
HDEVINFO ToSet(win::HDEVINFO set) { return reinterpret_cast<HDEVINFO>(set); }
SP_DEVINFO_DATA* ToDevice(win::SP_DEVINFO_DATA* device)
{
    return reinterpret_cast<SP_DEVINFO_DATA*>(device);
}
const GUID& ToGuid(const win::GUID& guid) { return reinterpret_cast<const GUID&>(guid); }

static_assert(sizeof(win::OSVERSIONINFOA) == sizeof(OSVERSIONINFOA), "version record layout");
static_assert(sizeof(win::PROCESS_INFORMATION) == sizeof(PROCESS_INFORMATION),
              "process record layout");
static_assert(sizeof(win::SP_DEVINFO_DATA) == sizeof(SP_DEVINFO_DATA), "device record layout");
static_assert(sizeof(win::SP_DEVINFO_DATA) == 28, "device record of a 32-bit program");
static_assert(sizeof(win::GUID) == sizeof(GUID), "GUID layout");
static_assert(sizeof(win::VARIANT) == sizeof(VARIANT), "VARIANT layout");
static_assert(sizeof(win::OLECHAR) == sizeof(OLECHAR), "OLECHAR width");

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

win::DWORD Win32Platform::GetFileAttributesA(const char* fileName)
{
    return ::GetFileAttributesA(fileName);
}

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

void Win32Platform::SetLastError(win::DWORD error) { ::SetLastError(error); }

void Win32Platform::Sleep(win::DWORD milliseconds) { ::Sleep(milliseconds); }

win::HDEVINFO Win32Platform::SetupDiGetClassDevsA(const win::GUID* classGuid,
                                                  const char* enumerator, win::HWND parent,
                                                  win::DWORD flags)
{
    return reinterpret_cast<win::HDEVINFO>(::SetupDiGetClassDevsA(
        reinterpret_cast<const GUID*>(classGuid), enumerator, ToWindow(parent), flags));
}

win::BOOL Win32Platform::SetupDiEnumDeviceInfo(win::HDEVINFO set, win::DWORD index,
                                               win::SP_DEVINFO_DATA* device)
{
    return ::SetupDiEnumDeviceInfo(ToSet(set), index, ToDevice(device));
}

win::BOOL Win32Platform::SetupDiGetDeviceRegistryPropertyA(win::HDEVINFO set,
                                                           win::SP_DEVINFO_DATA* device,
                                                           win::DWORD property, win::DWORD* type,
                                                           win::BYTE* buffer,
                                                           win::DWORD bufferSize,
                                                           win::DWORD* requiredSize)
{
    return ::SetupDiGetDeviceRegistryPropertyA(ToSet(set), ToDevice(device), property,
                                               reinterpret_cast<DWORD*>(type), buffer, bufferSize,
                                               reinterpret_cast<DWORD*>(requiredSize));
}

win::BOOL Win32Platform::SetupDiRemoveDevice(win::HDEVINFO set, win::SP_DEVINFO_DATA* device)
{
    return ::SetupDiRemoveDevice(ToSet(set), ToDevice(device));
}

win::BOOL Win32Platform::SetupDiDestroyDeviceInfoList(win::HDEVINFO set)
{
    return ::SetupDiDestroyDeviceInfoList(ToSet(set));
}

win::HRESULT Win32Platform::CoInitialize(void* reserved) { return ::CoInitialize(reserved); }

void Win32Platform::CoUninitialize() { ::CoUninitialize(); }

win::HRESULT Win32Platform::CoCreateInstance(const win::CLSID& classId, win::IUnknown* outer,
                                             win::DWORD context, const win::IID& iid,
                                             void** object)
{
    return ::CoCreateInstance(ToGuid(classId), reinterpret_cast<::IUnknown*>(outer), context,
                              ToGuid(iid), object);
}

void Win32Platform::SysFreeString(win::BSTR text)
{
    ::SysFreeString(reinterpret_cast<BSTR>(text));
}

int Win32Platform::WideCharToMultiByte(win::UINT codePage, win::DWORD flags,
                                       const win::OLECHAR* wide, int wideLength, char* out,
                                       int outSize, const char* defaultChar,
                                       win::BOOL* usedDefault)
{
    return ::WideCharToMultiByte(codePage, flags, reinterpret_cast<const WCHAR*>(wide), wideLength,
                                 out, outSize, defaultChar, reinterpret_cast<BOOL*>(usedDefault));
}

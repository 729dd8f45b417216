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
    win::BOOL IsDBCSLeadByte(win::BYTE testChar) override;

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

    win::DWORD GetFileAttributesA(const char* fileName) override;

    win::INT_PTR ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                               const char* parameters, const char* directory,
                               int showCommand) override;
    int MessageBoxA(win::HWND owner, const char* text, const char* caption,
                    win::UINT type) override;

    void SetLastError(win::DWORD error) override;
    void Sleep(win::DWORD milliseconds) override;
    win::HDEVINFO SetupDiGetClassDevsA(const win::GUID* classGuid, const char* enumerator,
                                       win::HWND parent, win::DWORD flags) override;
    win::BOOL SetupDiEnumDeviceInfo(win::HDEVINFO set, win::DWORD index,
                                    win::SP_DEVINFO_DATA* device) override;
    win::BOOL SetupDiGetDeviceRegistryPropertyA(win::HDEVINFO set, win::SP_DEVINFO_DATA* device,
                                                win::DWORD property, win::DWORD* type,
                                                win::BYTE* buffer, win::DWORD bufferSize,
                                                win::DWORD* requiredSize) override;
    win::BOOL SetupDiRemoveDevice(win::HDEVINFO set, win::SP_DEVINFO_DATA* device) override;
    win::BOOL SetupDiDestroyDeviceInfoList(win::HDEVINFO set) override;
    win::HRESULT CoInitialize(void* reserved) override;
    void CoUninitialize() override;
    win::HRESULT CoCreateInstance(const win::CLSID& classId, win::IUnknown* outer,
                                  win::DWORD context, const win::IID& iid, void** object) override;
    void SysFreeString(win::BSTR text) override;
    int WideCharToMultiByte(win::UINT codePage, win::DWORD flags, const win::OLECHAR* wide,
                            int wideLength, char* out, int outSize, const char* defaultChar,
                            win::BOOL* usedDefault) override;
};

// A Windows machine in memory, described by a scenario, that answers the
// platform interface as Windows would and records every effect in a trace.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/sim/CodePage.h"
#include "platform/sim/EffectTrace.h"
#include "platform/sim/SimCapture.h"
#include "platform/sim/SimDeviceTree.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUser.h"

struct SimVersion {
    win::DWORD platformId = 2;
    win::DWORD major = 5;
    win::DWORD minor = 1;
    win::DWORD build = 2600;
    std::string servicePack = "Service Pack 3";
    bool available = true; // false: GetVersionExA fails
};

class SimulatedMachine final : public Platform {
    // First, since the parts below keep a reference to it.
    win::DWORD m_lastError = 0;

public:
    SimulatedMachine();

    // The machine's parts, for scenarios and tests to set up and inspect.
    SimVersion version;
    SimFileSystem files;
    SimRegistry registry;
    EffectTrace trace;
    SimProcesses processes{files, trace};
    SimShell shell{files, trace};
    SimUser user{trace};
    // Device maintenance: the device tree (SetupAPI) and COM with the
    // DirectShow catalogue of capture devices.
    SimDeviceTree devices{trace, m_lastError};
    SimCapture capture{trace, m_lastError};

    // The launcher's own file and how it was started. Without a command line
    // of its own the program path is given, quoted, as Explorer does.
    void SetProgramPath(std::string path);
    void SetCommandLine(std::string commandLine) { m_commandLine = std::move(commandLine); }
    void SetCurrentFolder(std::string folder);
    const std::string& ProgramPath() const { return m_programPath; }

    // The system's ANSI code page (1252, or the double-byte 932, 936, 949,
    // 950): the page of every text the machine hands out and takes, and of
    // its letter-case rules. Set it before anything else of the machine.
    void SetCodePage(unsigned codePage);
    unsigned CodePage() const { return m_codePage; }

    // Profile reads are not effects; tests that look at the reading order
    // can have them traced all the same.
    bool traceProfileReads = false;

    // Platform
    win::DWORD GetModuleFileNameA(char* fileName, win::DWORD size) override;
    const char* GetCommandLineA() override;
    win::DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                        const char* defaultText, char* returned,
                                        win::DWORD size, const char* fileName) override;
    win::BOOL GetVersionExA(win::OSVERSIONINFOA* info) override;
    win::DWORD GetLastError() override { return m_lastError; }
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

    void SetLastError(win::DWORD error) override { m_lastError = error; }
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

private:
    void UpdateSearchFolders();

    std::string m_programPath = "C:\\Setup.exe";
    std::string m_commandLine;
    std::string m_currentFolder = "C:\\";
    unsigned m_codePage = codepage::kWestern;
};

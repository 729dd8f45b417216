// A Windows machine in memory, described by a scenario, that answers the
// platform interface as Windows would and records every effect in a trace.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSecurity.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUser.h"
#include "platform/sim/SimWindows.h"

struct SimVersion {
    win::DWORD platformId = 2;
    win::DWORD major = 5;
    win::DWORD minor = 1;
    win::DWORD build = 2600;
    std::string servicePack = "Service Pack 3";
    bool available = true; // false: GetVersionExA fails
};

class SimulatedMachine final : public Platform {
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
    SimWindows windows{trace, user, m_lastError};
    SimSecurity security{trace, m_lastError};

    // The launcher's own file and how it was started. Without a command line
    // of its own the program path is given, quoted, as Explorer does.
    void SetProgramPath(std::string path);
    void SetCommandLine(std::string commandLine) { m_commandLine = std::move(commandLine); }
    void SetCurrentFolder(std::string folder);
    const std::string& ProgramPath() const { return m_programPath; }

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

private:
    void UpdateSearchFolders();

    std::string m_programPath = "C:\\Setup.exe";
    std::string m_commandLine;
    std::string m_currentFolder = "C:\\";
    win::DWORD m_lastError = 0;
};

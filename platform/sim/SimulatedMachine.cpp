#include "platform/sim/SimulatedMachine.h"

#include <algorithm>
#include <cstring>

#include "platform/WinConstants.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/WindowsPath.h"

SimulatedMachine::SimulatedMachine() { UpdateSearchFolders(); }

void SimulatedMachine::SetProgramPath(std::string path)
{
    m_programPath = std::move(path);
    UpdateSearchFolders();
}

void SimulatedMachine::SetCurrentFolder(std::string folder)
{
    m_currentFolder = std::move(folder);
    processes.SetCurrentFolder(m_currentFolder);
    shell.SetCurrentFolder(m_currentFolder);
    UpdateSearchFolders();
}

void SimulatedMachine::UpdateSearchFolders()
{
    processes.SetSearchFolders({winpath::Parent(m_programPath), m_currentFolder,
                                "C:\\Windows\\System32", "C:\\Windows"});
}

win::DWORD SimulatedMachine::GetModuleFileNameA(char* fileName, win::DWORD size)
{
    const auto length = static_cast<win::DWORD>(m_programPath.size());
    if (length < size) {
        std::memcpy(fileName, m_programPath.c_str(), length + 1);
        return length;
    }
    // Cut to the buffer: Windows XP leaves it without a terminator, later
    // systems end it with one; both return the buffer's size.
    m_lastError = win::ERROR_INSUFFICIENT_BUFFER;
    if (size == 0)
        return 0;
    if (version.major < 6) {
        std::memcpy(fileName, m_programPath.data(), size);
    } else {
        std::memcpy(fileName, m_programPath.data(), size - 1);
        fileName[size - 1] = '\0';
    }
    return size;
}

const char* SimulatedMachine::GetCommandLineA()
{
    if (m_commandLine.empty())
        m_commandLine = "\"" + m_programPath + "\"";
    return m_commandLine.c_str();
}

win::DWORD SimulatedMachine::GetPrivateProfileStringA(const char* section, const char* key,
                                                      const char* defaultText, char* returned,
                                                      win::DWORD size, const char* fileName)
{
    if (returned == nullptr || size == 0)
        return 0;
    // The launcher always names section and key; the listings that null
    // names ask for are not simulated.
    if (section == nullptr || key == nullptr || fileName == nullptr) {
        returned[0] = '\0';
        m_lastError = win::ERROR_INVALID_PARAMETER;
        return 0;
    }
    // A file name without a path lies in the Windows folder.
    const std::string path = winpath::Resolve("C:\\Windows", fileName);
    const SimFile* file = files.Find(path);
    std::optional<std::string> value;
    if (file != nullptr)
        value = FindProfileValue(file->text, section, key);
    if (!value) {
        // The default loses its trailing blanks.
        value = defaultText ? defaultText : "";
        while (!value->empty() && value->back() == ' ')
            value->pop_back();
        m_lastError = win::ERROR_FILE_NOT_FOUND;
    }
    if (traceProfileReads)
        trace.Record({{"effect", "profile_read"}, {"file", fileName}, {"section", section},
                      {"key", key}});
    const auto length = std::min<std::size_t>(value->size(), size - 1);
    std::memcpy(returned, value->data(), length);
    returned[length] = '\0';
    return static_cast<win::DWORD>(length);
}

win::BOOL SimulatedMachine::GetVersionExA(win::OSVERSIONINFOA* info)
{
    // OSVERSIONINFOA (148) or OSVERSIONINFOEXA (156); only the first is filled here.
    if (info == nullptr || (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156)) {
        m_lastError = win::ERROR_INSUFFICIENT_BUFFER;
        return win::FALSE;
    }
    if (!version.available) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
        return win::FALSE;
    }
    info->dwMajorVersion = version.major;
    info->dwMinorVersion = version.minor;
    info->dwBuildNumber = version.build;
    info->dwPlatformId = version.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::memcpy(info->szCSDVersion, version.servicePack.data(),
                std::min(version.servicePack.size(), sizeof info->szCSDVersion - 1));
    return win::TRUE;
}

win::LONG SimulatedMachine::RegOpenKeyExA(const char* subKey, win::DWORD options, win::DWORD access,
                                          win::HKEY* result)
{
    (void)options;
    return registry.Open(subKey, access, result);
}

win::LONG SimulatedMachine::RegQueryValueExA(win::HKEY key, const char* valueName, win::DWORD* type,
                                             win::BYTE* data, win::DWORD* dataSize)
{
    return registry.Query(key, valueName, type, data, dataSize);
}

win::LONG SimulatedMachine::RegCloseKey(win::HKEY key) { return registry.Close(key); }

win::BOOL SimulatedMachine::CreateProcessA(const char* applicationName, char* commandLine,
                                           win::BOOL inheritHandles, win::DWORD creationFlags,
                                           win::PROCESS_INFORMATION* processInformation)
{
    return processes.Create(applicationName, commandLine, inheritHandles, creationFlags,
                            processInformation, m_lastError);
}

win::DWORD SimulatedMachine::WaitForSingleObject(win::HANDLE handle, win::DWORD milliseconds)
{
    return processes.Wait(handle, milliseconds, m_lastError);
}

win::BOOL SimulatedMachine::CloseHandle(win::HANDLE handle)
{
    if (security.OwnsHandle(handle))
        return security.Close(handle);
    return processes.Close(handle, m_lastError);
}

win::INT_PTR SimulatedMachine::ShellExecuteA(win::HWND owner, const char* verb, const char* file,
                                             const char* parameters, const char* directory,
                                             int showCommand)
{
    const win::INT_PTR result = shell.Execute(owner, verb, file, parameters, directory, showCommand);
    if (result > 32)
        windows.OnShellOpened();
    return result;
}

int SimulatedMachine::MessageBoxA(win::HWND owner, const char* text, const char* caption,
                                  win::UINT type)
{
    return windows.MessageBox(owner, text, caption, type);
}

// Windows, dialogs, timers, painting, icons and help: the window manager.
win::INT_PTR SimulatedMachine::DialogBoxParamA(win::HINSTANCE instance, int templateId,
                                               win::HWND parent, DialogHost* host)
{
    return windows.DialogBoxParamA(instance, templateId, parent, host);
}
win::BOOL SimulatedMachine::EndDialog(win::HWND dialog, win::INT_PTR result)
{
    return windows.EndDialog(dialog, result);
}
win::BOOL SimulatedMachine::DestroyWindow(win::HWND window) { return windows.DestroyWindow(window); }
win::BOOL SimulatedMachine::ShowWindow(win::HWND window, int command)
{
    return windows.ShowWindow(window, command);
}
win::BOOL SimulatedMachine::IsIconic(win::HWND window) { return windows.IsIconic(window); }
win::BOOL SimulatedMachine::IsWindowVisible(win::HWND window) { return windows.IsWindowVisible(window); }
win::BOOL SimulatedMachine::GetClientRect(win::HWND window, win::RECT* rect)
{
    return windows.GetClientRect(window, rect);
}
win::BOOL SimulatedMachine::GetWindowRect(win::HWND window, win::RECT* rect)
{
    return windows.GetWindowRect(window, rect);
}
win::BOOL SimulatedMachine::SetWindowPos(win::HWND window, win::HWND insertAfter, int x, int y,
                                         int cx, int cy, win::UINT flags)
{
    return windows.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}
win::LRESULT SimulatedMachine::SendMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                            win::LPARAM lParam)
{
    return windows.SendMessageA(window, message, wParam, lParam);
}
win::BOOL SimulatedMachine::PostMessageA(win::HWND window, win::UINT message, win::WPARAM wParam,
                                         win::LPARAM lParam)
{
    return windows.PostMessageA(window, message, wParam, lParam);
}
win::UINT_PTR SimulatedMachine::SetTimer(win::HWND window, win::UINT_PTR id, win::UINT elapse)
{
    return windows.SetTimer(window, id, elapse);
}
win::BOOL SimulatedMachine::KillTimer(win::HWND window, win::UINT_PTR id)
{
    return windows.KillTimer(window, id);
}
win::HWND SimulatedMachine::GetDesktopWindow() { return windows.GetDesktopWindow(); }
win::HWND SimulatedMachine::FindWindowExA(win::HWND parent, win::HWND childAfter,
                                          const char* className, const char* windowName)
{
    return windows.FindWindowExA(parent, childAfter, className, windowName);
}
win::HWND SimulatedMachine::GetWindow(win::HWND window, win::UINT command)
{
    return windows.GetWindow(window, command);
}
int SimulatedMachine::GetClassNameA(win::HWND window, char* className, int maxCount)
{
    return windows.GetClassNameA(window, className, maxCount);
}
win::LONG SimulatedMachine::GetWindowLongA(win::HWND window, int index)
{
    return windows.GetWindowLongA(window, index);
}
win::HDC SimulatedMachine::BeginPaint(win::HWND window, win::PAINTSTRUCT* paint)
{
    return windows.BeginPaint(window, paint);
}
win::BOOL SimulatedMachine::EndPaint(win::HWND window, const win::PAINTSTRUCT* paint)
{
    return windows.EndPaint(window, paint);
}
win::BOOL SimulatedMachine::DrawIcon(win::HDC dc, int x, int y, win::HICON icon)
{
    return windows.DrawIcon(dc, x, y, icon);
}
int SimulatedMachine::GetSystemMetrics(int index) { return windows.GetSystemMetrics(index); }
win::BOOL SimulatedMachine::SystemParametersInfoA(win::UINT action, win::UINT param,
                                                  win::RECT* data, win::UINT winIni)
{
    return windows.SystemParametersInfoA(action, param, data, winIni);
}
win::HINSTANCE SimulatedMachine::GetModuleHandleA(const char* moduleName)
{
    return windows.GetModuleHandleA(moduleName);
}
win::HICON SimulatedMachine::LoadIconA(win::HINSTANCE instance, int iconId)
{
    return windows.LoadIconA(instance, iconId);
}
win::BOOL SimulatedMachine::WinHelpA(win::HWND window, const char* helpFile, win::UINT command,
                                     win::UINT_PTR data)
{
    return windows.WinHelpA(window, helpFile, command, data);
}

// Security and shutdown.
win::HANDLE SimulatedMachine::GetCurrentProcess() { return security.GetCurrentProcess(); }
win::BOOL SimulatedMachine::OpenProcessToken(win::HANDLE process, win::DWORD access,
                                             win::HANDLE* token)
{
    return security.OpenProcessToken(process, access, token);
}
win::BOOL SimulatedMachine::LookupPrivilegeValueA(const char* systemName, const char* name,
                                                  win::LUID* luid)
{
    return security.LookupPrivilegeValueA(systemName, name, luid);
}
win::BOOL SimulatedMachine::AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                                  win::TOKEN_PRIVILEGES* newState,
                                                  win::DWORD bufferLength,
                                                  win::TOKEN_PRIVILEGES* previousState,
                                                  win::DWORD* returnLength)
{
    return security.AdjustTokenPrivileges(token, disableAll, newState, bufferLength, previousState,
                                          returnLength);
}
win::BOOL SimulatedMachine::ExitWindowsEx(win::UINT flags, win::DWORD reason)
{
    return security.ExitWindowsEx(flags, reason);
}

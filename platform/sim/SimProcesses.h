// Child processes on the simulated machine: how CreateProcessA finds the
// program, what the program does, and the handles it hands out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"
#include "platform/sim/SimFileSystem.h"

class SimProcesses {
public:
    SimProcesses(const SimFileSystem& files, EffectTrace& trace) : m_files(files), m_trace(trace) {}

    // Folders searched for a program named without a path: the launcher's
    // own folder, the current folder, then the system folders.
    void SetSearchFolders(std::vector<std::string> folders) { m_searchFolders = std::move(folders); }
    void SetCurrentFolder(std::string folder) { m_currentFolder = std::move(folder); }

    // Starts a child; on failure `error` holds the Windows error code.
    win::BOOL Create(const char* applicationName, char* commandLine, win::BOOL inheritHandles,
                     win::DWORD creationFlags, win::PROCESS_INFORMATION* info, win::DWORD& error);
    win::DWORD Wait(win::HANDLE handle, win::DWORD milliseconds, win::DWORD& error);
    win::BOOL Close(win::HANDLE handle, win::DWORD& error);

    std::size_t OpenHandleCount() const { return m_handles.size(); }

private:
    struct Found {
        std::string module;
        const SimFile* file = nullptr;
        win::DWORD error = 0;
    };
    Found FindProgram(const char* applicationName, const std::string& commandLine) const;
    Found Lookup(const std::string& path) const;
    Found LookupWithDefaultExtension(const std::string& name) const;

    const SimFileSystem& m_files;
    EffectTrace& m_trace;
    std::vector<std::string> m_searchFolders;
    std::string m_currentFolder = "C:\\";

    struct HandleEntry {
        std::uint32_t processId;
        bool isThread;
    };
    std::map<std::uintptr_t, HandleEntry> m_handles;
    std::map<std::uint32_t, std::string> m_commandLines; // by process id
    std::uintptr_t m_nextHandle = 0x200;
    std::uint32_t m_nextId = 1000;
};

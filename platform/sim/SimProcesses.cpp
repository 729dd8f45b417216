#include "platform/sim/SimProcesses.h"

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

SimProcesses::Found SimProcesses::Lookup(const std::string& path) const
{
    Found found;
    // The file the system opens: the full path, normalised. The child's own
    // module path is that form.
    found.module = winpath::FullPath(m_currentFolder, path, m_files.CodePage());
    // A full path of MAX_PATH characters or more does not translate into a
    // system path, which CreateProcess reports as a path not found.
    if (winpath::TooLong(found.module)) {
        found.error = win::ERROR_PATH_NOT_FOUND;
        return found;
    }
    found.file = m_files.Find(found.module);
    if (found.file == nullptr)
        found.error = m_files.MissingFileError(found.module);
    else if (!found.file->isProgram)
        found.error = win::ERROR_BAD_EXE_FORMAT;
    return found;
}

// The program of a command line: ".exe" is assumed for a name without an
// extension, and a name without a path is looked for in the search folders.
SimProcesses::Found SimProcesses::LookupWithDefaultExtension(const std::string& name) const
{
    std::string withExtension = name;
    const unsigned codePage = m_files.CodePage();
    if (codepage::FindLast(codePage, winpath::FileName(name, codePage), '.') == std::string::npos)
        withExtension += ".exe";
    if (winpath::IsAbsolute(withExtension) ||
        codepage::FindLastOf(codePage, withExtension, "\\/") != std::string::npos)
        return Lookup(withExtension);
    Found missing;
    missing.error = win::ERROR_FILE_NOT_FOUND;
    for (const std::string& folder : m_searchFolders) {
        Found found = Lookup(winpath::Resolve(folder, withExtension));
        if (found.file != nullptr)
            return found;
    }
    return missing;
}

SimProcesses::Found SimProcesses::FindProgram(const char* applicationName,
                                              const std::string& commandLine) const
{
    // With an application name the file is taken exactly as named.
    if (applicationName != nullptr)
        return Lookup(applicationName);

    if (!commandLine.empty() && commandLine.front() == '"') {
        const auto close = commandLine.find('"', 1);
        return LookupWithDefaultExtension(commandLine.substr(1, close == std::string::npos
                                                                     ? std::string::npos
                                                                     : close - 1));
    }

    // Unquoted: the text up to each blank in turn, the first file found wins.
    Found last;
    last.error = win::ERROR_FILE_NOT_FOUND;
    std::string::size_type end = 0;
    while (end != std::string::npos) {
        end = commandLine.find_first_of(" \t", end + (end == 0 ? 0 : 1));
        const std::string candidate = commandLine.substr(0, end);
        if (candidate.empty())
            break;
        last = LookupWithDefaultExtension(candidate);
        if (last.file != nullptr)
            return last;
    }
    return last;
}

win::BOOL SimProcesses::Create(const char* applicationName, char* commandLine,
                               win::BOOL inheritHandles, win::DWORD creationFlags,
                               win::PROCESS_INFORMATION* info, win::DWORD& error)
{
    nlohmann::json effect = {{"effect", "create_process"},
                             {"application", TextOrNull(applicationName)},
                             {"command_line", TextOrNull(commandLine)},
                             {"inherit_handles", inheritHandles != 0},
                             {"creation_flags", creationFlags}};
    Found found;
    if (info == nullptr || (applicationName == nullptr && commandLine == nullptr))
        found.error = win::ERROR_INVALID_PARAMETER;
    else
        found = FindProgram(applicationName, commandLine ? commandLine : "");
    if (found.error == 0 && found.file->program.startError != 0)
        found.error = found.file->program.startError;

    if (found.error != 0) {
        effect["result"] = false;
        effect["error"] = found.error;
        m_trace.Record(effect);
        error = found.error;
        return win::FALSE;
    }

    const std::uint32_t processId = m_nextId;
    m_nextId += 4;
    const auto processHandle = m_nextHandle;
    const auto threadHandle = m_nextHandle + 4;
    m_nextHandle += 8;
    m_handles[processHandle] = {processId, false};
    m_handles[threadHandle] = {processId, true};
    m_commandLines[processId] = commandLine ? commandLine : found.module;

    info->hProcess = reinterpret_cast<win::HANDLE>(processHandle);
    info->hThread = reinterpret_cast<win::HANDLE>(threadHandle);
    info->dwProcessId = processId;
    info->dwThreadId = processId + 1;

    effect["result"] = true;
    effect["module"] = found.module;
    effect["exit_code"] = found.file->program.exitCode;
    m_trace.Record(effect);
    return win::TRUE;
}

win::DWORD SimProcesses::Wait(win::HANDLE handle, win::DWORD milliseconds, win::DWORD& error)
{
    const auto entry = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    nlohmann::json effect = {{"effect", "wait"}, {"milliseconds", milliseconds}};
    if (entry == m_handles.end()) {
        error = win::ERROR_INVALID_HANDLE;
        effect["result"] = win::WAIT_FAILED;
        m_trace.Record(effect);
        return win::WAIT_FAILED;
    }
    // Every simulated program has ended by the time anybody waits for it.
    effect["command_line"] = m_commandLines[entry->second.processId];
    effect["result"] = win::WAIT_OBJECT_0;
    m_trace.Record(effect);
    return win::WAIT_OBJECT_0;
}

win::BOOL SimProcesses::Close(win::HANDLE handle, win::DWORD& error)
{
    if (m_handles.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        error = win::ERROR_INVALID_HANDLE;
        return win::FALSE;
    }
    return win::TRUE;
}

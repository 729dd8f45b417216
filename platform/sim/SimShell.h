// ShellExecuteA on the simulated machine: the file must exist and its
// extension must have an associated program. An association either gives
// the shell's answer outright, or names the program it starts, whose start
// then decides the answer as it does on Windows.
#pragma once

#include <map>
#include <string>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"
#include "platform/sim/SimFileSystem.h"

class SimShell {
public:
    SimShell(const SimFileSystem& files, EffectTrace& trace) : m_files(files), m_trace(trace) {}

    // What the shell returns for a file of this extension (".msu"): above 32
    // when it accepts, one of its error codes otherwise.
    void Associate(const std::string& extension, win::INT_PTR result);
    // The extension opens with `handler`; `accepted` is returned when the
    // handler starts.
    void AssociateHandler(const std::string& extension, const std::string& handler,
                          win::INT_PTR accepted);
    void SetCurrentFolder(std::string folder) { m_currentFolder = std::move(folder); }

    win::INT_PTR Execute(win::HWND owner, const char* verb, const char* file,
                         const char* parameters, const char* directory, int showCommand);

    // What ShellExecute returns when starting a program failed with `error`:
    // the codes below 32 pass as they are, a cancelled elevation is "access
    // denied", and any other failure reads as a bad executable (11).
    static win::INT_PTR FromStartError(win::DWORD error);

private:
    struct Association {
        win::INT_PTR result = 0;
        std::string handler; // empty: `result` is the answer
    };
    win::INT_PTR Result(const char* verb, const char* file, const char* directory) const;
    // 0 when the program would start, else its start error.
    win::DWORD StartError(const std::string& program) const;

    const SimFileSystem& m_files;
    EffectTrace& m_trace;
    std::map<std::string, Association> m_associations; // by folded extension
    std::string m_currentFolder = "C:\\";
};

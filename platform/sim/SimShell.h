// ShellExecuteA on the simulated machine: the file must exist and its
// extension must have an associated program.
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
    void SetCurrentFolder(std::string folder) { m_currentFolder = std::move(folder); }

    win::INT_PTR Execute(win::HWND owner, const char* verb, const char* file,
                         const char* parameters, const char* directory, int showCommand);

private:
    win::INT_PTR Result(const char* verb, const char* file, const char* directory) const;

    const SimFileSystem& m_files;
    EffectTrace& m_trace;
    std::map<std::string, win::INT_PTR> m_associations; // by folded extension
    std::string m_currentFolder = "C:\\";
};

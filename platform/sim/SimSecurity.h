// The process token, its privileges and the restart request on the simulated
// machine. The token holds the shutdown privilege, disabled, as an
// administrator's does; ExitWindowsEx needs it enabled.
#pragma once

#include <set>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"

class SimSecurity {
public:
    SimSecurity(EffectTrace& trace, win::DWORD& lastError) : m_trace(trace), m_lastError(lastError) {}

    // What the scenario or a test can change.
    bool holdsShutdownPrivilege = true;
    win::DWORD openTokenError = 0; // nonzero: OpenProcessToken fails with it

    bool OwnsHandle(win::HANDLE handle) const;
    bool ShutdownPrivilegeEnabled() const { return m_shutdownEnabled; }
    int OpenTokens() const { return static_cast<int>(m_tokens.size()); }

    win::HANDLE GetCurrentProcess();
    win::BOOL OpenProcessToken(win::HANDLE process, win::DWORD access, win::HANDLE* token);
    win::BOOL LookupPrivilegeValueA(const char* systemName, const char* name, win::LUID* luid);
    win::BOOL AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                    win::TOKEN_PRIVILEGES* newState, win::DWORD bufferLength,
                                    win::TOKEN_PRIVILEGES* previousState, win::DWORD* returnLength);
    win::BOOL ExitWindowsEx(win::UINT flags, win::DWORD reason);
    win::BOOL Close(win::HANDLE handle);

private:
    EffectTrace& m_trace;
    win::DWORD& m_lastError;
    std::set<std::uintptr_t> m_tokens;
    std::uintptr_t m_nextToken = 0x7000;
    bool m_shutdownEnabled = false;
    win::DWORD m_tokenAccess = 0;
};

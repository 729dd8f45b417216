#include "platform/sim/SimSecurity.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "platform/WinConstants.h"

namespace {

// The identifiers Windows gives the privileges the tests name.
struct Privilege {
    const char* name;
    win::DWORD luid;
};
constexpr Privilege kPrivileges[] = {
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
};
constexpr win::DWORD kShutdownLuid = 19;
constexpr std::uintptr_t kCurrentProcess = ~std::uintptr_t(0); // the pseudo handle -1
constexpr win::DWORD kTokenAdjustPrivileges = 0x0020;

nlohmann::json PrivilegeName(const win::LUID& luid)
{
    for (const Privilege& p : kPrivileges) {
        if (luid.HighPart == 0 && luid.LowPart == p.luid)
            return p.name;
    }
    return nlohmann::json({{"low", luid.LowPart}, {"high", luid.HighPart}});
}

} // namespace

bool SimSecurity::OwnsHandle(win::HANDLE handle) const
{
    return m_tokens.count(reinterpret_cast<std::uintptr_t>(handle)) != 0;
}

win::HANDLE SimSecurity::GetCurrentProcess() { return reinterpret_cast<win::HANDLE>(kCurrentProcess); }

win::BOOL SimSecurity::OpenProcessToken(win::HANDLE process, win::DWORD access, win::HANDLE* token)
{
    win::BOOL result = win::TRUE;
    if (reinterpret_cast<std::uintptr_t>(process) != kCurrentProcess) {
        m_lastError = win::ERROR_INVALID_HANDLE;
        result = win::FALSE;
    } else if (token == nullptr) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
        result = win::FALSE;
    } else if (openTokenError != 0) {
        m_lastError = openTokenError;
        result = win::FALSE;
    } else {
        const std::uintptr_t handle = m_nextToken;
        m_nextToken += 4;
        m_tokens.insert(handle);
        *token = reinterpret_cast<win::HANDLE>(handle);
        m_tokenAccess = access;
    }
    m_trace.Record({{"effect", "privilege"}, {"call", "OpenProcessToken"}, {"access", access},
                    {"result", result != 0}});
    return result;
}

win::BOOL SimSecurity::LookupPrivilegeValueA(const char* systemName, const char* name, win::LUID* luid)
{
    win::BOOL result = win::FALSE;
    m_lastError = win::ERROR_NO_SUCH_PRIVILEGE;
    if (luid == nullptr || name == nullptr) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
    } else if (systemName == nullptr) {
        // Privilege names are compared without regard to letter case.
        const std::string wanted = name;
        for (const Privilege& p : kPrivileges) {
            if (wanted.size() == std::strlen(p.name) &&
                std::equal(wanted.begin(), wanted.end(), p.name,
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
                luid->LowPart = p.luid;
                luid->HighPart = 0;
                result = win::TRUE;
            }
        }
    }
    m_trace.Record({{"effect", "privilege"}, {"call", "LookupPrivilegeValueA"},
                    {"system", TextOrNull(systemName)}, {"name", TextOrNull(name)},
                    {"result", result != 0}});
    return result;
}

win::BOOL SimSecurity::AdjustTokenPrivileges(win::HANDLE token, win::BOOL disableAll,
                                             win::TOKEN_PRIVILEGES* newState,
                                             win::DWORD bufferLength,
                                             win::TOKEN_PRIVILEGES* previousState,
                                             win::DWORD* returnLength)
{
    nlohmann::json privileges = nlohmann::json::array();
    win::BOOL result = win::TRUE;
    if (!OwnsHandle(token)) {
        m_lastError = win::ERROR_INVALID_HANDLE;
        result = win::FALSE;
    } else if ((m_tokenAccess & kTokenAdjustPrivileges) == 0) {
        m_lastError = win::ERROR_ACCESS_DENIED;
        result = win::FALSE;
    } else if (previousState != nullptr && bufferLength == 0) {
        m_lastError = win::ERROR_INSUFFICIENT_BUFFER;
        result = win::FALSE;
    } else if (disableAll) {
        m_shutdownEnabled = false;
        m_lastError = win::ERROR_SUCCESS;
    } else if (newState == nullptr) {
        m_lastError = win::ERROR_INVALID_PARAMETER;
        result = win::FALSE;
    } else {
        bool allAssigned = true;
        for (win::DWORD i = 0; i < newState->PrivilegeCount; ++i) {
            const win::LUID_AND_ATTRIBUTES& entry = newState->Privileges[i];
            privileges.push_back({{"name", PrivilegeName(entry.Luid)},
                                  {"attributes", entry.Attributes}});
            const bool isShutdown = entry.Luid.HighPart == 0 && entry.Luid.LowPart == kShutdownLuid;
            if (isShutdown && holdsShutdownPrivilege)
                m_shutdownEnabled = (entry.Attributes & win::SE_PRIVILEGE_ENABLED) != 0;
            else
                allAssigned = false;
        }
        // Success all the same; the last error tells whether all were held.
        m_lastError = allAssigned ? win::ERROR_SUCCESS : win::ERROR_NOT_ALL_ASSIGNED;
    }
    (void)returnLength;
    m_trace.Record({{"effect", "privilege"}, {"call", "AdjustTokenPrivileges"},
                    {"disable_all", disableAll != 0}, {"privileges", privileges},
                    {"buffer_length", bufferLength}, {"result", result != 0},
                    {"error", m_lastError}});
    return result;
}

win::BOOL SimSecurity::ExitWindowsEx(win::UINT flags, win::DWORD reason)
{
    win::BOOL result = win::TRUE;
    if (!m_shutdownEnabled) {
        m_lastError = win::ERROR_PRIVILEGE_NOT_HELD;
        result = win::FALSE;
    }
    m_trace.Record({{"effect", "exit_windows"}, {"flags", flags}, {"reason", reason},
                    {"result", result != 0}});
    return result;
}

win::BOOL SimSecurity::Close(win::HANDLE handle)
{
    m_tokens.erase(reinterpret_cast<std::uintptr_t>(handle));
    m_trace.Record({{"effect", "close_handle"}, {"kind", "token"}});
    return win::TRUE;
}

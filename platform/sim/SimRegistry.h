// HKEY_LOCAL_MACHINE of the simulated machine, as a 32-bit program sees it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct RegistryValue {
    win::DWORD type = 0;
    std::vector<std::uint8_t> data;
};

class SimRegistry {
public:
    // On 64-bit Windows a 32-bit program's SOFTWARE\X and SOFTWARE\Wow6432Node\X
    // are one key (the 32-bit view).
    void SetWow64(bool wow64) { m_wow64 = wow64; }

    void AddKey(const std::string& path);
    void SetValue(const std::string& keyPath, const std::string& name, RegistryValue value);

    win::LONG Open(const char* subKey, win::DWORD access, win::HKEY* result);
    win::LONG Query(win::HKEY key, const char* name, win::DWORD* type, win::BYTE* data,
                    win::DWORD* size) const;
    win::LONG Close(win::HKEY key);

    std::size_t OpenKeyCount() const { return m_open.size(); }

private:
    struct Key {
        std::map<std::string, RegistryValue> values; // by folded name
    };

    std::string Canonical(const std::string& path) const;

    bool m_wow64 = false;
    std::map<std::string, Key> m_keys;                   // by canonical path
    std::map<std::uintptr_t, std::string> m_open;        // handle -> canonical path
    std::uintptr_t m_nextHandle = 0x100;
};

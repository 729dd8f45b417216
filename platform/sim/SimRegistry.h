// HKEY_LOCAL_MACHINE of the simulated machine, as this 32-bit program sees it.
//
// A 32-bit machine has one view. A 64-bit machine keeps the native view and
// a 32-bit view: for a 32-bit program HKLM\SOFTWARE\X is the native
// SOFTWARE\Wow6432Node\X (the literal Wow6432Node path names the same key),
// and only KEY_WOW64_64KEY reaches the native SOFTWARE\X; KEY_WOW64_32KEY
// asks for the program's own view. Key and value names compare without
// regard to letter case, by the rules of the ANSI code page, but are not
// paths: "/" is an ordinary character and a value name is taken whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/CodePage.h"

struct RegistryValue {
    win::DWORD type = 0;
    std::vector<std::uint8_t> data;
};

class SimRegistry {
public:
    // Which view a scenario or test writes to.
    enum class View {
        Program, // what this 32-bit program opens without flags
        Native,  // the 64-bit view of a 64-bit machine; the one view of a 32-bit one
    };

    // A 64-bit machine, where a 32-bit program runs under WoW64.
    void SetWow64(bool wow64) { m_wow64 = wow64; }
    bool Wow64() const { return m_wow64; }
    void SetCodePage(unsigned codePage) { m_codePage = codePage; }

    void AddKey(const std::string& path, View view = View::Program);
    void SetValue(const std::string& keyPath, const std::string& name, RegistryValue value,
                  View view = View::Program);

    win::LONG Open(const char* subKey, win::DWORD access, win::HKEY* result);
    win::LONG Query(win::HKEY key, const char* name, win::DWORD* type, win::BYTE* data,
                    win::DWORD* size) const;
    win::LONG Close(win::HKEY key);

    std::size_t OpenKeyCount() const { return m_open.size(); }

private:
    struct Key {
        std::map<std::string, RegistryValue> values; // by folded name
    };
    struct OpenKey {
        std::string path; // in the native tree
        win::DWORD access;
    };

    // The key's place in the native tree, folded.
    std::string NativePath(const std::string& path, bool nativeView) const;

    bool m_wow64 = false;
    unsigned m_codePage = codepage::kWestern;
    std::map<std::string, Key> m_keys;                   // by native folded path
    std::map<std::uintptr_t, OpenKey> m_open;
    std::uintptr_t m_nextHandle = 0x100;
};

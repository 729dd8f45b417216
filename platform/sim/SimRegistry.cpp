#include "platform/sim/SimRegistry.h"

#include <cstring>

#include "platform/WinConstants.h"
#include "platform/sim/WindowsPath.h"

namespace {

std::string FoldName(const char* name) { return winpath::Fold(name ? name : ""); }

} // namespace

std::string SimRegistry::Canonical(const std::string& path) const
{
    std::string folded = winpath::Fold(path);
    const std::string redirected = "software\\wow6432node";
    if (m_wow64 && folded.compare(0, redirected.size(), redirected) == 0 &&
        (folded.size() == redirected.size() || folded[redirected.size()] == '\\'))
        folded = "software" + folded.substr(redirected.size());
    return folded;
}

void SimRegistry::AddKey(const std::string& path)
{
    for (std::string key = Canonical(path); !key.empty(); key = winpath::Parent(key))
        m_keys[key];
}

void SimRegistry::SetValue(const std::string& keyPath, const std::string& name, RegistryValue value)
{
    AddKey(keyPath);
    m_keys[Canonical(keyPath)].values[FoldName(name.c_str())] = std::move(value);
}

win::LONG SimRegistry::Open(const char* subKey, win::DWORD access, win::HKEY* result)
{
    if (result == nullptr || access == 0)
        return win::ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const std::string path = Canonical(subKey ? subKey : "");
    if (!path.empty() && m_keys.count(path) == 0)
        return static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND);
    const std::uintptr_t handle = m_nextHandle;
    m_nextHandle += 4;
    m_open[handle] = path;
    *result = reinterpret_cast<win::HKEY>(handle);
    return win::ERROR_SUCCESS;
}

win::LONG SimRegistry::Query(win::HKEY key, const char* name, win::DWORD* type, win::BYTE* data,
                             win::DWORD* size) const
{
    const auto open = m_open.find(reinterpret_cast<std::uintptr_t>(key));
    if (open == m_open.end())
        return static_cast<win::LONG>(win::ERROR_INVALID_HANDLE);
    if (data != nullptr && size == nullptr)
        return static_cast<win::LONG>(win::ERROR_INVALID_PARAMETER);
    const auto keyEntry = m_keys.find(open->second);
    if (keyEntry == m_keys.end())
        return static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND);
    const auto value = keyEntry->second.values.find(FoldName(name));
    if (value == keyEntry->second.values.end())
        return static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND);

    const auto needed = static_cast<win::DWORD>(value->second.data.size());
    if (type != nullptr)
        *type = value->second.type;
    if (data != nullptr && *size < needed) {
        *size = needed;
        return static_cast<win::LONG>(win::ERROR_MORE_DATA);
    }
    if (data != nullptr && needed != 0)
        std::memcpy(data, value->second.data.data(), needed);
    if (size != nullptr)
        *size = needed;
    return win::ERROR_SUCCESS;
}

win::LONG SimRegistry::Close(win::HKEY key)
{
    return m_open.erase(reinterpret_cast<std::uintptr_t>(key)) != 0
               ? win::ERROR_SUCCESS
               : static_cast<win::LONG>(win::ERROR_INVALID_HANDLE);
}

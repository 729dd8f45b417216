#include "platform/sim/SimRegistry.h"

#include <cstring>

#include "platform/WinConstants.h"

namespace {

// The parent of a key path: everything before its last "\", which in a
// double-byte page may also be the trail byte of a character.
std::string ParentKey(const std::string& path, unsigned codePage)
{
    const auto at = codepage::FindLast(codePage, path, '\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

} // namespace

std::string SimRegistry::NativePath(const std::string& path, bool nativeView) const
{
    std::string folded = codepage::FoldCase(m_codePage, path);
    // One trailing separator names the same key.
    if (!folded.empty() && folded.back() == '\\' &&
        codepage::FindLast(m_codePage, folded, '\\') == folded.size() - 1)
        folded.pop_back();
    if (!m_wow64 || nativeView)
        return folded;
    const std::string software = "software";
    if (folded.compare(0, software.size(), software) != 0 ||
        (folded.size() != software.size() && folded[software.size()] != '\\'))
        return folded;
    const std::string node = "software\\wow6432node";
    if (folded.compare(0, node.size(), node) == 0 &&
        (folded.size() == node.size() || folded[node.size()] == '\\'))
        return folded;
    return node + folded.substr(software.size());
}

void SimRegistry::AddKey(const std::string& path, View view)
{
    for (std::string key = NativePath(path, view == View::Native); !key.empty();
         key = ParentKey(key, m_codePage))
        m_keys[key];
}

void SimRegistry::SetValue(const std::string& keyPath, const std::string& name, RegistryValue value,
                           View view)
{
    AddKey(keyPath, view);
    m_keys[NativePath(keyPath, view == View::Native)].values[codepage::FoldCase(m_codePage, name)] =
        std::move(value);
}

win::LONG SimRegistry::Open(const char* subKey, win::DWORD access, win::HKEY* result)
{
    if (result == nullptr)
        return win::ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const std::string name = subKey ? subKey : "";
    if (!name.empty() && name.front() == '\\')
        return static_cast<win::LONG>(win::ERROR_BAD_PATHNAME);
    // With both view flags the native view wins, as under Wine.
    const std::string path = NativePath(name, (access & win::KEY_WOW64_64KEY) != 0);
    if (!path.empty() && m_keys.count(path) == 0)
        return static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND);
    const std::uintptr_t handle = m_nextHandle;
    m_nextHandle += 4;
    m_open[handle] = {path, access};
    *result = reinterpret_cast<win::HKEY>(handle);
    return win::ERROR_SUCCESS;
}

win::LONG SimRegistry::Query(win::HKEY key, const char* name, win::DWORD* type, win::BYTE* data,
                             win::DWORD* size) const
{
    const auto open = m_open.find(reinterpret_cast<std::uintptr_t>(key));
    if (open == m_open.end())
        return static_cast<win::LONG>(win::ERROR_INVALID_HANDLE);
    // A key opened without the right to read values (access 0 opens, too).
    if ((open->second.access & win::KEY_QUERY_VALUE) == 0)
        return static_cast<win::LONG>(win::ERROR_ACCESS_DENIED);
    if (data != nullptr && size == nullptr)
        return static_cast<win::LONG>(win::ERROR_INVALID_PARAMETER);
    const auto keyEntry = m_keys.find(open->second.path);
    if (keyEntry == m_keys.end())
        return static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND);
    const auto value = keyEntry->second.values.find(codepage::FoldCase(m_codePage, name ? name : ""));
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

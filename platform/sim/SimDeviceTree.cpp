#include "platform/sim/SimDeviceTree.h"

#include <cstring>

#include "platform/WinConstants.h"
#include "platform/sim/ScenarioFields.h"

std::string SimDeviceNode::FirstHardwareId() const
{
    std::string id;
    for (const std::uint8_t byte : hardwareIds) {
        if (byte == 0)
            break;
        id.push_back(static_cast<char>(byte));
    }
    return id;
}

std::vector<std::uint8_t> MultiString(const std::vector<std::string>& strings)
{
    std::vector<std::uint8_t> bytes;
    for (const auto& s : strings) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

win::HDEVINFO SimDeviceTree::GetClassDevs(const win::GUID* classGuid, const char* enumerator,
                                          win::HWND parent, win::DWORD flags)
{
    (void)parent;
    win::DWORD error = setError;
    // Without a class, only the listing of all classes is meaningful; an
    // enumerator filter is not simulated.
    if (error == 0 && ((classGuid == nullptr && (flags & win::DIGCF_ALLCLASSES) == 0) ||
                       enumerator != nullptr))
        error = win::ERROR_INVALID_PARAMETER;
    if (error != 0) {
        m_trace.Record({{"effect", "device_set"}, {"flags", flags}, {"result", false}, {"error", error}});
        m_lastError = error;
        return win::InvalidDeviceSet();
    }
    Set set;
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes[i].removed)
            continue;
        if ((flags & win::DIGCF_PRESENT) != 0 && !m_nodes[i].present)
            continue;
        set.members.push_back(i);
    }
    const std::uintptr_t handle = m_nextSet;
    m_nextSet += 0x10;
    m_sets[handle] = std::move(set);
    m_trace.Record({{"effect", "device_set"}, {"flags", flags}, {"result", true}});
    m_lastError = 0;
    return reinterpret_cast<win::HDEVINFO>(handle);
}

win::BOOL SimDeviceTree::EnumDeviceInfo(win::HDEVINFO set, win::DWORD index,
                                        win::SP_DEVINFO_DATA* device)
{
    const auto found = m_sets.find(reinterpret_cast<std::uintptr_t>(set));
    if (found == m_sets.end())
        return Fail(win::ERROR_INVALID_HANDLE);
    if (device == nullptr)
        return Fail(win::ERROR_INVALID_PARAMETER);
    if (device->cbSize != sizeof(win::SP_DEVINFO_DATA))
        return Fail(win::ERROR_INVALID_USER_BUFFER);
    if (index >= found->second.members.size())
        return Fail(win::ERROR_NO_MORE_ITEMS);
    std::memset(&device->ClassGuid, 0, sizeof device->ClassGuid);
    device->DevInst = static_cast<win::DWORD>(found->second.members[index] + 1);
    device->Reserved = found->first + index;
    m_lastError = 0;
    return 1;
}

SimDeviceNode* SimDeviceTree::Member(win::HDEVINFO set, const win::SP_DEVINFO_DATA* device)
{
    const auto found = m_sets.find(reinterpret_cast<std::uintptr_t>(set));
    if (found == m_sets.end()) {
        Fail(win::ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (device == nullptr || device->cbSize != sizeof(win::SP_DEVINFO_DATA)) {
        Fail(win::ERROR_INVALID_USER_BUFFER);
        return nullptr;
    }
    const std::uintptr_t index = device->Reserved - found->first;
    if (device->Reserved < found->first || index >= found->second.members.size() ||
        found->second.members[index] + 1 != device->DevInst) {
        Fail(win::ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &m_nodes[found->second.members[index]];
}

win::BOOL SimDeviceTree::GetRegistryProperty(win::HDEVINFO set, win::SP_DEVINFO_DATA* device,
                                             win::DWORD property, win::DWORD* type,
                                             win::BYTE* buffer, win::DWORD bufferSize,
                                             win::DWORD* requiredSize)
{
    SimDeviceNode* node = Member(set, device);
    if (node == nullptr)
        return 0;
    if (node->removed)
        return Fail(win::ERROR_NO_SUCH_DEVINST);
    if (node->readError != 0)
        return Fail(node->readError);
    // Only hardware IDs are simulated; any other property is absent.
    if (property != win::SPDRP_HARDWAREID || !node->hasHardwareIds)
        return Fail(win::ERROR_INVALID_DATA);
    if (buffer == nullptr && bufferSize != 0)
        return Fail(win::ERROR_INVALID_USER_BUFFER);
    const auto needed = static_cast<win::DWORD>(node->hardwareIds.size());
    if (requiredSize != nullptr)
        *requiredSize = needed;
    if (bufferSize < needed)
        return Fail(win::ERROR_INSUFFICIENT_BUFFER);
    if (type != nullptr)
        *type = win::REG_MULTI_SZ;
    if (needed != 0)
        std::memcpy(buffer, node->hardwareIds.data(), needed);
    m_lastError = 0;
    return 1;
}

win::BOOL SimDeviceTree::RemoveDevice(win::HDEVINFO set, win::SP_DEVINFO_DATA* device, bool wow64)
{
    SimDeviceNode* node = Member(set, device);
    if (node == nullptr)
        return 0;
    win::DWORD error = 0;
    if (wow64)
        error = win::ERROR_IN_WOW64; // removal is for 64-bit programs there
    else if (node->removed)
        error = win::ERROR_NO_SUCH_DEVINST;
    else
        node->removed = true;
    m_trace.Record({{"effect", "remove_device"},
                    {"node", node - m_nodes.data()},
                    {"hardware_id", AnsiText(node->FirstHardwareId())},
                    {"result", error == 0},
                    {"error", error}});
    m_lastError = error;
    return error == 0 ? 1 : 0;
}

win::BOOL SimDeviceTree::DestroyList(win::HDEVINFO set)
{
    if (m_sets.erase(reinterpret_cast<std::uintptr_t>(set)) == 0)
        return Fail(win::ERROR_INVALID_HANDLE);
    m_lastError = 0;
    return 1;
}

namespace {

std::vector<std::uint8_t> HexBytes(const std::string& hex, const std::string& path)
{
    if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        scenario::Refuse(path, "must be pairs of hex digits");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace

void LoadDeviceTree(const nlohmann::json& section, SimDeviceTree& tree)
{
    using namespace scenario;
    const std::string path = "devices";
    RequireObject(section, path, {"set_error", "nodes"});
    tree.setError = static_cast<win::DWORD>(Unsigned(section, "set_error", path, 0xFFFFFFFF, 0));
    if (!section.contains("nodes"))
        return;
    const auto& nodes = RequireArray(section.at("nodes"), path + ".nodes");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string nodePath = path + ".nodes[" + std::to_string(i) + "]";
        const auto& spec =
            RequireObject(nodes[i], nodePath, {"hardware_ids", "hardware_id_hex", "present", "read_error"});
        SimDeviceNode node;
        if (spec.contains("hardware_ids") && spec.contains("hardware_id_hex"))
            Refuse(nodePath, "give hardware_ids or hardware_id_hex, not both");
        if (spec.contains("hardware_ids")) {
            const auto& list = RequireArray(spec.at("hardware_ids"), nodePath + ".hardware_ids");
            std::vector<std::string> ids;
            for (std::size_t j = 0; j < list.size(); ++j)
                ids.push_back(String(list[j], nodePath + ".hardware_ids[" + std::to_string(j) + "]"));
            node.hardwareIds = MultiString(ids);
        } else if (spec.contains("hardware_id_hex")) {
            node.hardwareIds = HexBytes(String(spec.at("hardware_id_hex"), nodePath + ".hardware_id_hex"),
                                        nodePath + ".hardware_id_hex");
        } else {
            node.hasHardwareIds = false;
        }
        node.present = Bool(spec, "present", nodePath, true);
        node.readError = static_cast<win::DWORD>(Unsigned(spec, "read_error", nodePath, 0xFFFFFFFF, 0));
        tree.AddNode(std::move(node));
    }
}

// The simulated machine's device tree, reached through SetupAPI: device
// nodes with their hardware-ID lists, present or not, and the device
// information sets made over them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Platform.h"
#include "platform/sim/EffectTrace.h"

struct SimDeviceNode {
    bool hasHardwareIds = true;      // false: reading SPDRP_HARDWAREID gives ERROR_INVALID_DATA
    std::vector<std::uint8_t> hardwareIds; // the property's bytes, exactly as stored
    bool present = true;
    win::DWORD readError = 0;        // nonzero: reading its hardware IDs fails with this error
    bool removed = false;

    // The first string of the list, up to its terminator or the data's end.
    std::string FirstHardwareId() const;
};

// A REG_MULTI_SZ list: each string with its terminator, then one more.
std::vector<std::uint8_t> MultiString(const std::vector<std::string>& strings);

class SimDeviceTree {
public:
    SimDeviceTree(EffectTrace& trace, win::DWORD& lastError) : m_trace(trace), m_lastError(lastError) {}

    // Nonzero: no device information set can be made; the error it fails with.
    win::DWORD setError = 0;

    void AddNode(SimDeviceNode node) { m_nodes.push_back(std::move(node)); }
    const std::vector<SimDeviceNode>& Nodes() const { return m_nodes; }
    std::size_t OpenSetCount() const { return m_sets.size(); }

    win::HDEVINFO GetClassDevs(const win::GUID* classGuid, const char* enumerator, win::HWND parent,
                               win::DWORD flags);
    win::BOOL EnumDeviceInfo(win::HDEVINFO set, win::DWORD index, win::SP_DEVINFO_DATA* device);
    win::BOOL GetRegistryProperty(win::HDEVINFO set, win::SP_DEVINFO_DATA* device,
                                  win::DWORD property, win::DWORD* type, win::BYTE* buffer,
                                  win::DWORD bufferSize, win::DWORD* requiredSize);
    // `wow64`: this 32-bit program runs on 64-bit Windows, where it may not
    // remove devices.
    win::BOOL RemoveDevice(win::HDEVINFO set, win::SP_DEVINFO_DATA* device, bool wow64);
    win::BOOL DestroyList(win::HDEVINFO set);

private:
    struct Set {
        std::vector<std::size_t> members; // node indexes, in enumeration order
    };

    // The node that `device` names in `set`, or null with the last error set.
    SimDeviceNode* Member(win::HDEVINFO set, const win::SP_DEVINFO_DATA* device);
    win::BOOL Fail(win::DWORD error)
    {
        m_lastError = error;
        return 0;
    }

    EffectTrace& m_trace;
    win::DWORD& m_lastError;
    std::vector<SimDeviceNode> m_nodes;
    std::map<std::uintptr_t, Set> m_sets;
    std::uintptr_t m_nextSet = 0x5000;
};

// The scenario's "devices" section:
//   {"set_error": 13,                                  // optional
//    "nodes": [{"hardware_ids": ["USB\\VID_1B80&PID_E411"],  // or "hardware_id_hex": "5553..00"
//               "present": true, "read_error": 31}]}  // neither list: no hardware ID
void LoadDeviceTree(const nlohmann::json& section, SimDeviceTree& tree);

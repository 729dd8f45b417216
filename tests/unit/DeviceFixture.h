// Capture devices and device nodes on the simulated machine of a launcher run.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/unit/LauncherFixture.h"
#include "platform/sim/SimCapture.h"
#include "platform/sim/SimDeviceTree.h"

using nlohmann::json;

// The capture device of most cases: a video-input device of the default name.
inline json CaptureDevice(json registers = json::object(), json more = json::object())
{
    json device = {{"name", "USB 6711 Device"}, {"registers", std::move(registers)}};
    for (auto& [key, value] : more.items())
        device[key] = value;
    return device;
}

// A register write the launcher made: register, value, result.
struct RegisterWrite {
    std::uint32_t reg;
    std::uint32_t value;
    bool operator==(const RegisterWrite& o) const { return reg == o.reg && value == o.value; }
};
inline std::ostream& operator<<(std::ostream& out, const RegisterWrite& w)
{
    return out << "(" << w.reg << " <- " << w.value << ")";
}

class DeviceRun : public SimulatedRun {
public:
    void AddCapture(const json& section) { LoadCapture(section, machine.capture); }
    void AddNodes(const std::vector<json>& nodes)
    {
        LoadDeviceTree({{"nodes", json(nodes)}}, machine.devices);
    }

    std::vector<json> PropertyCalls() const { return Effects("property"); }

    // Every I2C write attempted (a 4104 set), with the register of the
    // transfer selected before it.
    std::vector<RegisterWrite> Writes() const
    {
        std::vector<RegisterWrite> writes;
        std::uint32_t word = 0;
        for (const auto& call : PropertyCalls()) {
            if (call["id"] == 4103 && call["call"] == "set")
                word = call["data"].get<std::uint32_t>();
            else if (call["id"] == 4104 && call["call"] == "set")
                writes.push_back({(word >> 8) & 255, call["data"][0].get<std::uint32_t>()});
        }
        return writes;
    }

    // Removal passes: device sets of all nodes, present or not.
    int RemovalPasses() const
    {
        int passes = 0;
        for (const auto& set : Effects("device_set"))
            passes += set["flags"] == win::DIGCF_ALLCLASSES;
        return passes;
    }

    // The name of the device whose filter was asked for the custom interface.
    std::vector<std::string> InterfaceQueries() const
    {
        std::vector<std::string> names;
        for (const auto& query : Effects("query_interface"))
            names.push_back(query["name"].is_null() ? "<none>" : query["name"].get<std::string>());
        return names;
    }

    // Nothing of COM is left behind and nothing was misused.
    void ExpectComClean(const std::string& label) const
    {
        EXPECT_EQ(machine.capture.ComInitializations(), 0) << label;
        EXPECT_EQ(machine.capture.OutstandingReferences(), 0) << label;
        EXPECT_EQ(machine.capture.LiveStrings(), 0u) << label;
        EXPECT_EQ(machine.capture.Faults(), 0) << label << ": " << machine.trace.ToJsonLines();
        EXPECT_EQ(machine.devices.OpenSetCount(), 0u) << label;
    }
};

class DeviceTest : public ::testing::Test, public DeviceRun {};

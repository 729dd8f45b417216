// The scan of present devices by hardware-ID pattern while the settings are
// read, and the removal pass over all device nodes.
#include <string>
#include <vector>

#include "tests/unit/DeviceFixture.h"

namespace {

using Strings = std::vector<std::string>;

json Node(Strings ids, bool present = true)
{
    return {{"hardware_ids", ids}, {"present", present}};
}

json Hex(const std::string& hex) { return {{"hardware_id_hex", hex}}; }

// Settings with the given patterns.
std::string Patterns(const Strings& patterns)
{
    std::string ini = "[Const]\nDeviceIDNum=" + std::to_string(patterns.size()) + "\n";
    for (std::size_t i = 0; i < patterns.size(); ++i)
        ini += "DevDrvID" + std::to_string(i) + "=" + patterns[i] + "\n";
    return ini;
}

Strings Matched(const CLauncherApp& app)
{
    Strings matched;
    for (int i = 0; i < app.MatchedDeviceCount; ++i)
        matched.push_back(app.MatchedDeviceIds[i]);
    return matched;
}

} // namespace

TEST(DeviceScan, RecordsThePatternsOfPresentDevices)
{
    const std::string longId = "USB\\VID_1B80&PID_E411&" + std::string(300, 'X');
    struct Case {
        const char* label;
        Strings patterns;
        std::vector<json> nodes;
        Strings matched;
        win::DWORD lastError;
    };
    const Case cases[] = {
        // label                            patterns                        nodes                                                             matched                                  last error
        {"letter case of the pattern",      {"usb\\vid_1b80"},              {Node({"USB\\VID_1B80&PID_E411"})},                               {"usb\\vid_1b80"},                       259},
        {"two devices per pattern",         {"USB\\VID_1B80", "USB\\VID_2"}, {Node({"USB\\VID_1B80&A"}), Node({"USB\\VID_2"}), Node({"USB\\VID_1B80&B"})},
                                                                                                                                              {"USB\\VID_1B80", "USB\\VID_2", "USB\\VID_1B80"}, 259},
        {"one device, two patterns",        {"USB\\VID_1B80", "USB\\VID"},  {Node({"USB\\VID_1B80&A"})},                                      {"USB\\VID_1B80", "USB\\VID"},           259},
        {"later hardware IDs ignored",      {"USB\\VID_1B80"},              {Node({"USB\\OTHER", "USB\\VID_1B80&PID_E411"})},                 {},                                      259},
        {"pattern longer than the ID",      {"USB\\VID_1B80&PID_E411&MI_00"}, {Node({"USB\\VID_1B80&PID_E411"})},                             {},                                      259},
        {"not present",                     {"USB\\VID_1B80"},              {Node({"USB\\VID_1B80&A"}, false)},                               {},                                      259},
        {"list longer than 256 bytes",      {"USB\\VID_1B80"},              {Node({longId})},                                                 {"USB\\VID_1B80"},                       259},
        {"long list, short first ID",       {"USB\\VID_1B80"},              {Node({"USB\\VID_1B80&A", longId})},                              {"USB\\VID_1B80"},                       259},
        {"no hardware ID skipped",          {"USB\\VID_1B80"},              {json::object(), Node({"USB\\VID_1B80&A"})},                      {"USB\\VID_1B80"},                       259},
        {"other error stops the scan",      {"USB\\VID_1B80"},              {Node({"USB\\VID_1B80&A"}), {{"hardware_ids", {"X"}}, {"read_error", 31}}, Node({"USB\\VID_1B80&B"})},
                                                                                                                                              {"USB\\VID_1B80"},                       31},
        {"empty pattern matches nothing",   {""},                           {Node({"USB\\VID_1B80&A"})},                                      {},                                      259},
        {"unterminated list: only its data",{"ABCD"},                       {Node({"XXXD"}), Hex("414243")},                                  {},                                      259},
        {"unterminated list that matches",  {"ABC"},                        {Hex("41424344")},                                                {"ABC"},                                 259},
    };
    for (const Case& c : cases) {
        DeviceRun run;
        run.WriteSettings(Patterns(c.patterns));
        run.AddNodes(c.nodes);
        CLauncherApp app(run.machine);
        app.ReadSettings();
        EXPECT_EQ(Matched(app), c.matched) << c.label;
        // Once more, to see the last error it leaves.
        run.machine.SetLastError(0xDEADBEEF);
        EXPECT_EQ(app.ScanDeviceIds(), static_cast<int>(c.matched.size())) << c.label;
        EXPECT_EQ(Matched(app), c.matched) << c.label;
        EXPECT_EQ(run.machine.GetLastError(), c.lastError) << c.label;
        EXPECT_EQ(run.machine.devices.OpenSetCount(), 0u) << c.label;
        const auto sets = run.Effects("device_set");
        ASSERT_EQ(sets.size(), 2u) << c.label;
        EXPECT_EQ(sets[0]["flags"], win::DIGCF_PRESENT | win::DIGCF_ALLCLASSES) << c.label;
    }
}

TEST_F(DeviceTest, TheScanRunsRightAfterThePatternsAndOnlyWithACount)
{
    machine.traceProfileReads = true;
    WriteSettings(Patterns({"USB\\VID_1B80"}));
    AddNodes({Node({"USB\\VID_1B80&A"})});
    CLauncherApp app(machine);
    app.ReadSettings();
    std::vector<std::string> steps;
    for (const auto& effect : machine.trace.Effects())
        steps.push_back(effect["effect"] == "device_set" ? "scan" : effect.value("key", ""));
    ASSERT_GE(steps.size(), 5u);
    EXPECT_EQ((Strings{steps.begin(), steps.begin() + 5}),
              (Strings{"DeviceIDNum", "DevDrvID0", "DeviceIDSection0", "scan", "SetupVistax64Path"}));

    DeviceRun without;
    without.WriteSettings("[Const]\nDevDrvID0=USB\n");
    CLauncherApp other(without.machine);
    other.ReadSettings();
    EXPECT_TRUE(without.Effects("device_set").empty());
}

TEST_F(DeviceTest, MoreThanTenMatchesStayWithinTheList)
{
    std::vector<json> nodes;
    for (int i = 0; i < 12; ++i)
        nodes.push_back(Node({"USB\\VID_1B80&" + std::to_string(i)}));
    WriteSettings(Patterns({"USB\\VID_1B80"}));
    AddNodes(nodes);
    CLauncherApp app(machine);
    app.ReadSettings();
    EXPECT_EQ(app.MatchedDeviceCount, 10);
    EXPECT_EQ(app.ScanDeviceIds(), 10);
}

TEST_F(DeviceTest, ASetThatCannotBeMadeRecordsNothing)
{
    AddNodes({Node({"USB\\VID_1B80&A"})});
    machine.devices.setError = win::ERROR_INVALID_PARAMETER;
    WriteSettings(Patterns({"USB\\VID_1B80"}));
    CLauncherApp app(machine);
    app.MatchedDeviceCount = 3; // untouched when the set cannot be made
    app.ReadSettings();
    EXPECT_EQ(app.MatchedDeviceCount, 3);
    EXPECT_EQ(app.RemoveMatchedDeviceNodes(), 0);
    EXPECT_TRUE(Effects("remove_device").empty());
}

TEST(DeviceRemoval, RemovesEveryNodeWhoseFirstIdBeginsWithARecordedPattern)
{
    struct Case {
        const char* label;
        Strings patterns;
        std::vector<json> nodes;
        std::vector<int> removed;    // nodes gone afterwards
        int removalCalls;
        win::DWORD lastError;
    };
    const Case cases[] = {
        // label                                    patterns          nodes                                                                  removed  calls last error
        {"present and non-present nodes",           {"USB\\VID_1B80"}, {Node({"USB\\VID_1B80&A"}), Node({"USB\\VID_1B80&B"}, false), Node({"USB\\OTHER"})}, {0, 1}, 2, 259},
        {"pattern of non-present nodes only",       {"USB\\VID_1B80"}, {Node({"USB\\VID_1B80&B"}, false), Node({"USB\\OTHER"})},           {},      0, 259},
        {"recorded twice: two calls per node",      {"USB\\VID_1B80"}, {Node({"USB\\VID_1B80&A"}), Node({"usb\\vid_1b80&b"})},              {0, 1},  4, 259},
        {"no hardware ID passed over",              {"USB\\VID_1B80"}, {Node({"USB\\VID_1B80&A"}), json::object(), Node({"USB\\VID_1B80&C"}, false)}, {0, 2}, 2, 259},
        {"other error ends the pass",               {"USB\\VID_1B80"}, {Node({"USB\\VID_1B80&A"}), Node({"X"}, false), Node({"USB\\VID_1B80&C"})}, {0}, 2, 31},
    };
    for (const Case& c : cases) {
        DeviceRun run;
        run.WriteSettings(Patterns(c.patterns));
        run.AddNodes(c.nodes);
        CLauncherApp app(run.machine);
        app.ReadSettings();
        if (std::string(c.label) == "other error ends the pass") {
            // Present at the scan; unreadable by the time of the removal.
            SimDeviceNode& node = const_cast<SimDeviceNode&>(run.machine.devices.Nodes()[1]);
            node.readError = 31;
        }
        run.machine.SetLastError(0xDEADBEEF);
        EXPECT_EQ(app.RemoveMatchedDeviceNodes(), 1) << c.label;
        std::vector<int> removed;
        for (std::size_t i = 0; i < run.machine.devices.Nodes().size(); ++i) {
            if (run.machine.devices.Nodes()[i].removed)
                removed.push_back(static_cast<int>(i));
        }
        EXPECT_EQ(removed, c.removed) << c.label;
        EXPECT_EQ(run.Effects("remove_device").size(), static_cast<std::size_t>(c.removalCalls)) << c.label;
        EXPECT_EQ(run.machine.GetLastError(), c.lastError) << c.label;
        EXPECT_EQ(run.machine.devices.OpenSetCount(), 0u) << c.label;
    }
}

TEST_F(DeviceTest, OnA64BitSystemTheRemovalIsRefusedAndNothingGoes)
{
    SetWindows(machine, Windows::XP64);
    machine.registry.SetWow64(true);
    WriteSettings(Patterns({"USB\\VID_1B80"}));
    AddNodes({Node({"USB\\VID_1B80&A"})});
    CLauncherApp app(machine);
    app.ReadSettings();
    EXPECT_EQ(app.RemoveMatchedDeviceNodes(), 1);
    const auto removals = Effects("remove_device");
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0]["result"], false);
    EXPECT_EQ(removals[0]["error"], win::ERROR_IN_WOW64);
    EXPECT_EQ(removals[0]["hardware_id"], "USB\\VID_1B80&A");
    EXPECT_FALSE(machine.devices.Nodes()[0].removed);
}

TEST_F(DeviceTest, WithoutPatternsTheRemovalPassRemovesNothing)
{
    AddNodes({Node({"USB\\VID_1B80&A"}), Node({""})});
    CLauncherApp app(machine);
    app.ReadSettings();
    EXPECT_EQ(app.RemoveMatchedDeviceNodes(), 1);
    EXPECT_TRUE(Effects("remove_device").empty());
    EXPECT_EQ(RemovalPasses(), 1);
}

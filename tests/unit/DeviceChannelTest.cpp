// The device property channel on the simulated machine: finding the capture
// filter, the property calls of transfers, chip reads, events and detection.
#include <optional>
#include <string>
#include <vector>

#include "tests/unit/DeviceFixture.h"

namespace {

const char* const kNameKey = "Software\\USB6701\\BDA";

RegistryValue Bytes(const std::string& data, bool terminator = true)
{
    RegistryValue value{win::REG_SZ, {data.begin(), data.end()}};
    if (terminator)
        value.data.push_back(0);
    return value;
}

json Named(const json& name, json more = json::object())
{
    json device = {{"name", name}};
    for (auto& [key, value] : more.items())
        device[key] = value;
    return device;
}

class ChannelTest : public ::testing::Test {
protected:
    void AddCapture(const json& section) { LoadCapture(section, machine.capture); }

    std::vector<json> Calls() const { return machine.trace.OfKind("property"); }

    // The calls from `from` on, as (call, id, data, result) in one line each.
    std::vector<std::string> CallsFrom(std::size_t from) const
    {
        std::vector<std::string> lines;
        const auto calls = Calls();
        for (std::size_t i = from; i < calls.size(); ++i)
            lines.push_back(calls[i]["call"].get<std::string>() + " " + calls[i]["id"].dump() + " " +
                            calls[i]["data"].dump() + " " + calls[i]["result"].dump());
        return lines;
    }

    SimI2CModel& Model() { return machine.capture.video[0].model; }

    SimulatedMachine machine;
    DeviceChannel channel{machine};
};

using Lines = std::vector<std::string>;

const std::string kFail = std::to_string(0x80004005u);

} // namespace

TEST(DeviceChannelSearch, FindsTheWantedNameThenTheFallbackList)
{
    struct Case {
        const char* label;
        std::optional<std::string> realName, dsName; // registry values
        json video, bda;
        std::optional<std::string> bound; // the device asked for the interface
    };
    const std::string longName(256, 'A'); // no terminator within the 256 bytes
    const Case cases[] = {
        // label                          RealDSName       DSName      video devices                        bda devices                        bound
        {"default name with a suffix",    {},              {},         {Named("USB 6711 Device #2")},        json::array(),                     "USB 6711 Device #2"},
        {"other letter case",             {},              {},         {Named("usb 6711 device")},           json::array(),                     {}},
        {"name shorter than wanted",      {},              {},         {Named("USB 6711")},                  json::array(),                     {}},
        {"RealDSName first",              "Cam A",         "Cam B",    {Named("Cam B"), Named("Cam A")},     json::array(),                     "Cam A"},
        {"DSName alone",                  {},              "Cam B",    {Named("Cam A"), Named("Cam B")},     json::array(),                     "Cam B"},
        {"video before bda",              "Cam",           {},         {Named("Cam video")},                 {Named("Cam bda")},                "Cam video"},
        {"bda when video lacks it",       "Cam",           {},         {Named("Other")},                     {Named("Cam bda")},                "Cam bda"},
        {"fallback: name before category","Missing",       {},         {Named("USB 6705 Device")},           {Named("USB 6704 Device")},        "USB 6704 Device"},
        {"fallback 6704, none before",    "Missing",       {},         {Named("USB 6704 Device")},           json::array(),                     "USB 6704 Device"},
        {"unreadable name never matches", "",              {},         {Named(nullptr), Named("Anything")},  json::array(),                     "Anything"},
        {"property bag that fails",       "Cam",           {},         {Named("Cam 1", {{"property_bag_fails", true}}), Named("Cam 2")}, json::array(), "Cam 2"},
        {"filter that cannot be made",    "Cam",           {},         {Named("Cam 1", {{"bind_fails", true}}), Named("Cam 2")}, json::array(), "Cam 2"},
        {"unterminated 256-byte name",    longName,        {},         {Named(std::string(255, 'A') + "Z")}, json::array(),                     std::string(255, 'A') + "Z"},
        {"name too long for the buffer",  longName + "A",  "Cam",      {Named("Cam")},                       json::array(),                     "Cam"},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        if (c.realName)
            machine.registry.SetValue(kNameKey, "RealDSName", Bytes(*c.realName, c.realName->size() < 256));
        if (c.dsName)
            machine.registry.SetValue(kNameKey, "DSName", Bytes(*c.dsName));
        LoadCapture({{"video", c.video}, {"bda", c.bda}}, machine.capture);
        DeviceChannel channel(machine);
        EXPECT_EQ(channel.OpenDeviceChannel(), c.bound ? 1 : 0) << c.label;
        std::vector<std::string> queried;
        for (const auto& q : machine.trace.OfKind("query_interface"))
            queried.push_back(q["name"]);
        EXPECT_EQ(queried, c.bound ? std::vector<std::string>{*c.bound} : std::vector<std::string>{})
            << c.label;
        EXPECT_EQ(machine.capture.ComInitializations(), c.bound ? 1 : 0) << c.label;
        channel.CloseDeviceChannel();
        EXPECT_EQ(machine.capture.ComInitializations(), 0) << c.label;
        EXPECT_EQ(machine.capture.OutstandingReferences(), 0) << c.label;
        EXPECT_EQ(machine.capture.LiveStrings(), 0u) << c.label;
        EXPECT_EQ(machine.capture.Faults(), 0) << c.label;
        EXPECT_EQ(machine.registry.OpenKeyCount(), 0u) << c.label;
    }
}

TEST_F(ChannelTest, WithNoDeviceEveryNameIsSearchedInBothCategories)
{
    EXPECT_EQ(channel.OpenDeviceChannel(), 0);
    // The wanted name, then the 15 fallback names, each in video then bda.
    const auto& categories = machine.capture.enumeratedCategories;
    ASSERT_EQ(categories.size(), 32u);
    for (std::size_t i = 0; i < categories.size(); ++i)
        EXPECT_EQ(categories[i], i % 2 == 0 ? "video" : "bda") << i;
    EXPECT_EQ(channel.Client(), nullptr);
    EXPECT_EQ(machine.trace.OfKind("co_initialize").size(), 1u);
    EXPECT_EQ(machine.trace.OfKind("co_uninitialize").size(), 1u);
    EXPECT_EQ(machine.capture.ComInitializations(), 0);
    EXPECT_TRUE(Calls().empty());
    // Closing a closed channel leaves COM alone.
    channel.CloseDeviceChannel();
    EXPECT_EQ(machine.trace.OfKind("co_uninitialize").size(), 1u);
}

TEST_F(ChannelTest, AFilterRefusingTheInterfaceEndsTheSearch)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"refuse_interface", true}}), Named("USB 6711 Device B")}},
                {"bda", {Named("USB 6701 Device")}}});
    EXPECT_EQ(channel.OpenDeviceChannel(), 0);
    EXPECT_EQ(machine.trace.OfKind("query_interface").size(), 1u);
    EXPECT_EQ(machine.trace.OfKind("bind_filter").size(), 1u);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(channel.Client(), nullptr);
    EXPECT_EQ(machine.capture.ComInitializations(), 0);
    EXPECT_EQ(machine.capture.OutstandingReferences(), 0);
}

TEST_F(ChannelTest, HoldsOneReferenceOnTheInterfaceWhileOpen)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"properties", {{"4135", 7}, {"4136", 160}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    EXPECT_EQ(machine.capture.FilterReferences(machine.capture.video[0]), 1);
    EXPECT_EQ(machine.capture.OutstandingReferences(), 1);
    ASSERT_NE(channel.Client(), nullptr);
    EXPECT_EQ(channel.Client()->EventTag, 7u);
    EXPECT_EQ(channel.Client()->EventDeviceAddress, 160u);
    EXPECT_EQ(CallsFrom(0), (Lines{"get 4135 7 0", "get 4136 160 0"}));
    channel.CloseDeviceChannel();
    EXPECT_EQ(machine.capture.OutstandingReferences(), 0);
    EXPECT_EQ(machine.capture.ComInitializations(), 0);
    EXPECT_EQ(machine.capture.Faults(), 0);
}

TEST_F(ChannelTest, TransfersSelectThenMoveTheDataAndClearTheSelectionAfterAFailure)
{
    struct Case {
        const char* label;
        json failures;
        bool write;
        std::int32_t status;
        Lines calls;
    };
    // 1, 160, 8, 1 from the most significant byte down.
    const std::string word = std::to_string(0x01A00801);
    const Case cases[] = {
        // label              failures                                                            write  status                  calls
        {"read",              json::array(),                                                      false, 0,  {"set 4103 " + word + " 0", "get 4104 [80] 0"}},
        {"write",             json::array(),                                                      true,  0,  {"set 4103 " + word + " 0", "set 4104 [208] 0"}},
        {"selection fails",   {{{"id", 4103}, {"call", "set"}, {"when", "once"}}},                false, win::E_FAIL, {"set 4103 " + word + " " + kFail, "set 4103 0 0"}},
        {"read fails",        {{{"id", 4104}, {"call", "get"}, {"when", "once"}}},                false, win::E_FAIL, {"set 4103 " + word + " 0", "get 4104 null " + kFail, "set 4103 0 0"}},
        {"write fails",       {{{"id", 4104}, {"call", "set"}, {"when", "once"}}},                true,  win::E_FAIL, {"set 4103 " + word + " 0", "set 4104 [208] " + kFail, "set 4103 0 0"}},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        LoadCapture({{"video", {Named("USB 6711 Device", {{"registers", {{"8", 80}}}, {"failures", c.failures}})}}},
                    machine.capture);
        DeviceChannel channel(machine);
        ASSERT_EQ(channel.OpenDeviceChannel(), 1) << c.label;
        const std::size_t before = machine.trace.OfKind("property").size();
        const std::int32_t status = c.write ? channel.WriteRegister(160, 8, 208) : channel.ReadRegister(160, 8);
        EXPECT_EQ(status, c.status) << c.label;
        Lines calls;
        const auto all = machine.trace.OfKind("property");
        for (std::size_t i = before; i < all.size(); ++i)
            calls.push_back(all[i]["call"].get<std::string>() + " " + all[i]["id"].dump() + " " +
                            all[i]["data"].dump() + " " + all[i]["result"].dump());
        EXPECT_EQ(calls, c.calls) << c.label;
        EXPECT_EQ(channel.LastRegisterValue, !c.write && status == 0 ? 80u : 0u) << c.label;
        EXPECT_EQ(channel.Client()->LastStatus, c.status) << c.label;
        channel.CloseDeviceChannel();
    }
}

TEST_F(ChannelTest, ReadRegisterPairReadsTheSecondAfterAFailedFirst)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"registers", {{"37", 5}, {"38", 1}}},
                                                     {"failures", {{{"id", 4104}, {"call", "get"}, {"when", "once"}}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    channel.PairFirstValue = 99; // what an earlier read left
    EXPECT_EQ(channel.ReadRegisterPair(160, 37), 0);
    EXPECT_EQ(channel.PairFirstValue, 99u);
    EXPECT_EQ(channel.PairSecondValue, 1u);
    // Both reads were made, register 37 then 38.
    const auto calls = Calls();
    std::vector<std::uint32_t> selected;
    for (const auto& call : calls) {
        if (call["id"] == 4103 && call["data"] != 0)
            selected.push_back((call["data"].get<std::uint32_t>() >> 8) & 255);
    }
    EXPECT_EQ(selected, (std::vector<std::uint32_t>{37, 38}));
}

TEST_F(ChannelTest, ReadRegisterPairReturnsTheStatusOfTheSecondRead)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"registers", {{"37", 5}, {"38", 1}}},
                                                     {"failures", {{{"id", 4104}, {"call", "get"}, {"when", "always"}, {"register", 38}}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    EXPECT_EQ(channel.ReadRegisterPair(160, 37), win::E_FAIL);
    EXPECT_EQ(channel.PairFirstValue, 5u);
    EXPECT_EQ(channel.PairSecondValue, 0u);
}

TEST_F(ChannelTest, ChipReadsUseTheirOwnWordAndClearItAfterAFailure)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"chip_registers", {{"69", 1}, {"70", 2}, {"71", 3}, {"72", 4}}},
                                                     {"failures", {{{"id", 4102}, {"call", "get"}, {"when", "once"}}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    DevicePropertyClient& client = *channel.Client();
    std::uint32_t word = 0xDDDDDDDD;
    EXPECT_EQ(client.ReadChipRegister(69, 4, &word), win::E_FAIL);
    EXPECT_EQ(word, 0xDDDDDDDDu) << "a failed read leaves the buffer alone";
    EXPECT_EQ(client.ReadChipRegister(69, 4, &word), 0);
    EXPECT_EQ(word, 0x04030201u);
    EXPECT_EQ(CallsFrom(2), (Lines{"set 4101 17668 0", "get 4102 null " + kFail, "set 4101 0 0",
                                   "set 4101 17668 0", "get 4102 [1,2,3,4] 0"}));
}

TEST(DeviceChannelEvent, FollowsTheToggleAndTagRules)
{
    struct Step {
        std::uint32_t b0, b1, b2;
        std::uint32_t result, toggleAfter;
    };
    struct Case {
        const char* label;
        std::uint32_t tag;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        // label                 tag  steps: b0, b1, b2 -> result, toggle
        {"new code on a toggle",   0, {{0x80, 0, 42, 42, 128}, {0x00, 0, 43, 43, 0}}},
        {"same toggle: repeat",    0, {{0x80, 0, 42, 42, 128}, {0x85, 0, 42, 254, 128}}},
        {"same toggle: no code",   0, {{0x00, 0, 42, 255, 0}}},
        {"254 and 255 are no code",0, {{0x80, 0, 254, 255, 128}, {0x00, 0, 255, 255, 0}}},
        {"tag mismatch",           9, {{0x80, 8, 42, 255, 0}, {0x80, 9, 42, 42, 128}}},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        LoadCapture({{"video", {Named("USB 6711 Device", {{"properties", {{"4135", c.tag}, {"4136", 160}}}})}}},
                    machine.capture);
        DeviceChannel channel(machine);
        ASSERT_EQ(channel.OpenDeviceChannel(), 1) << c.label;
        auto& chip = machine.capture.video[0].model.chipRegisters;
        for (const Step& s : c.steps) {
            chip[69] = static_cast<std::uint8_t>(s.b0);
            chip[70] = static_cast<std::uint8_t>(s.b1);
            chip[71] = static_cast<std::uint8_t>(s.b2);
            // Register 0 of the event device is served by the event path.
            EXPECT_EQ(channel.ReadRegister(160, 0), 0) << c.label;
            EXPECT_EQ(channel.LastRegisterValue, s.result) << c.label;
            EXPECT_EQ(channel.Client()->PreviousToggle, s.toggleAfter) << c.label;
        }
        const auto calls = machine.trace.OfKind("property");
        ASSERT_GE(calls.size(), 6u);
        // 4135, 4136, then the 4-byte read of 69 and the 1-byte read of 68.
        EXPECT_EQ(calls[2]["data"], 69 * 256 + 4) << c.label;
        EXPECT_EQ(calls[4]["data"], 68 * 256 + 1) << c.label;
        EXPECT_TRUE(machine.trace.OfKind("property").size() == 2 + 4 * c.steps.size()) << c.label;
    }
}

TEST_F(ChannelTest, AFailedEventReadReportsNoCode)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"properties", {{"4136", 160}}},
                                                     {"chip_registers", {{"69", 0x80}, {"71", 42}}},
                                                     {"failures", {{{"id", 4102}, {"call", "get"}, {"when", "once"}}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    std::uint32_t out = 77;
    // The status is that of the second chip read, which succeeds.
    EXPECT_EQ(channel.Client()->ReadEvent(&out), 0);
    EXPECT_EQ(out, 255u);
    EXPECT_EQ(channel.Client()->PreviousToggle, 0u);
    EXPECT_EQ(channel.Client()->ReadEvent(&out), 0);
    EXPECT_EQ(out, 42u);
}

TEST_F(ChannelTest, WithoutAnEventAddressRegisterZeroIsAnI2CRead)
{
    AddCapture({{"video", {Named("USB 6711 Device", {{"registers", {{"0", 3}}}})}}});
    ASSERT_EQ(channel.OpenDeviceChannel(), 1);
    EXPECT_EQ(channel.ReadRegister(160, 0), 0);
    EXPECT_EQ(channel.LastRegisterValue, 3u);
    EXPECT_EQ(Calls()[2]["id"], 4103);
}

TEST(DeviceChannelDetect, WarnsWhenTheDeviceIsNotReadyOrNotThere)
{
    struct Case {
        const char* label;
        json device;
        std::int32_t status;
        std::int32_t info;
        const char* warning; // null: none
        Lines calls;
    };
    const Case cases[] = {
        // label          device settings                                        status  info  warning                        calls after open
        {"ready",         {{"properties", {{"4115", 77}}}},                      0,      77,   nullptr,                       {"set 4107 160 0", "get 4116 1 0", "get 4115 77 0"}},
        {"not ready",     {{"ready", false}, {"properties", {{"4115", 77}}}},    21,     0,    DeviceChannel::kNotReady,      {"set 4107 160 0", "get 4116 0 0"}},
        {"not there",     {{"i2c_present", false}},                              win::E_FAIL, 0, DeviceChannel::kNotDetected, {"set 4107 160 " + kFail}},
        {"4116 fails",    {{"failures", {{{"id", 4116}, {"call", "get"}, {"when", "always"}}}}}, win::E_FAIL, 0, DeviceChannel::kNotDetected, {"set 4107 160 0", "get 4116 null " + kFail}},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        json device = c.device;
        device["name"] = "USB 6711 Device";
        LoadCapture({{"video", {device}}}, machine.capture);
        DeviceChannel channel(machine);
        ASSERT_EQ(channel.OpenDeviceChannel(), 1) << c.label;
        std::int32_t info = 5;
        EXPECT_EQ(channel.DetectI2CDevice(160, &info), c.status) << c.label;
        EXPECT_EQ(info, c.info) << c.label;
        Lines calls;
        const auto all = machine.trace.OfKind("property");
        for (std::size_t i = 2; i < all.size(); ++i)
            calls.push_back(all[i]["call"].get<std::string>() + " " + all[i]["id"].dump() + " " +
                            all[i]["data"].dump() + " " + all[i]["result"].dump());
        EXPECT_EQ(calls, c.calls) << c.label;
        const auto boxes = machine.trace.OfKind("message_box");
        ASSERT_EQ(boxes.size(), c.warning ? 1u : 0u) << c.label;
        if (c.warning) {
            EXPECT_EQ(boxes[0]["text"], c.warning) << c.label;
            EXPECT_EQ(boxes[0]["caption"], "KQ6701 Custom Property Demo") << c.label;
            EXPECT_EQ(boxes[0]["style"], win::MB_OK | win::MB_ICONWARNING) << c.label;
            EXPECT_TRUE(boxes[0]["owner"].is_null()) << c.label;
        }
        // The status of the 4116 read stays recorded when it read 0.
        if (c.status == 21)
            EXPECT_EQ(channel.Client()->LastStatus, 0) << c.label;
        channel.CloseDeviceChannel();
    }
}

// The audio-class step of a whole launcher run, on a capture device whose
// registers 8, 37 and 38 the case chooses.
#include <string>
#include <vector>

#include "tests/unit/DeviceFixture.h"

namespace {

enum class Fault { None, Read8, Read37, Read38, Write8, Write37, Write38, ReadsAndDetection };

json FailureRules(Fault fault)
{
    auto rule = [](const char* call, int reg) {
        return json::array({{{"id", 4104}, {"call", call}, {"when", "always"}, {"register", reg}}});
    };
    switch (fault) {
    case Fault::None: return json::array();
    case Fault::Read8: return rule("get", 8);
    case Fault::Read37: return rule("get", 37);
    case Fault::Read38: return rule("get", 38);
    case Fault::Write8: return rule("set", 8);
    case Fault::Write37: return rule("set", 37);
    case Fault::Write38: return rule("set", 38);
    case Fault::ReadsAndDetection:
        return json::array({{{"id", 4104}, {"call", "get"}, {"when", "always"}}});
    }
    return json::array();
}

using Writes = std::vector<RegisterWrite>;

} // namespace

TEST(AudioClass, FollowsTheRegisterTable)
{
    struct Case {
        int line;
        Windows windows;
        int xpAudioClass, audioVol, delKey, delKeyMessage;
        int r8, r37, r38;
        Fault fault;
        Writes writes;
        int pauses, removals;
        bool rePlug;
    };
    const Case cases[] = {
        // line      windows     XPAC vol del msg  R8  R37 R38 fault              writes                               pauses removals re-plug
        {__LINE__, Windows::XP32,    0, 0, 0, 0,  80, 0, 1, Fault::None,     {{8, 208}},                             0, 0, true},
        {__LINE__, Windows::XP32,    0, 0, 0, 0, 208, 0, 1, Fault::None,     {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    0, 0, 0, 0,   7, 0, 1, Fault::None,     {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    0, 1, 0, 0,  80, 5, 0, Fault::None,     {{8, 208}},                             0, 0, true},
        {__LINE__, Windows::Vista32, 0, 0, 0, 0, 208, 0, 1, Fault::None,     {{8, 80}},                              0, 0, true},
        {__LINE__, Windows::Vista32, 0, 0, 0, 0,  80, 0, 1, Fault::None,     {},                                     0, 0, false},
        {__LINE__, Windows::Vista32, 0, 1, 1, 0, 208, 5, 0, Fault::None,     {{8, 80}},                              0, 1, true},
        {__LINE__, Windows::XP32,    1, 0, 0, 0, 208, 0, 1, Fault::None,     {{8, 80}},                              0, 1, true},
        {__LINE__, Windows::Vista32, 1, 0, 1, 0, 208, 0, 1, Fault::None,     {{8, 80}},                              0, 2, true},
        {__LINE__, Windows::XP32,    1, 0, 0, 0,  80, 0, 1, Fault::None,     {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    1, 1, 0, 0,  80, 0, 1, Fault::None,     {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    1, 1, 0, 0,  80, 5, 1, Fault::None,     {{38, 1}, {37, 0}},                     2, 0, true},
        {__LINE__, Windows::Vista32, 1, 1, 0, 0,  80, 0, 0, Fault::None,     {{38, 1}, {37, 0}},                     2, 0, true},
        {__LINE__, Windows::XP32,    1, 1, 0, 0, 208, 5, 1, Fault::None,     {{8, 80}, {38, 1}, {37, 0}},            2, 1, true},
        {__LINE__, Windows::XP32,    0, 0, 1, 0, 208, 0, 1, Fault::None,     {},                                     0, 1, false},
        {__LINE__, Windows::XP32,    0, 0, 1, 1, 208, 0, 1, Fault::None,     {},                                     0, 1, true},
        {__LINE__, Windows::XP32,    0, 0, 1, 1,  80, 0, 1, Fault::ReadsAndDetection, {},                            0, 1, true},
        {__LINE__, Windows::XP32,    0, 0, 0, 0,  80, 0, 1, Fault::Read38,   {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    0, 0, 1, 1,  80, 0, 1, Fault::Read38,   {},                                     0, 1, true},
        {__LINE__, Windows::XP32,    0, 0, 0, 0,  80, 0, 1, Fault::Read8,    {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    1, 1, 0, 0,  80, 5, 1, Fault::Read37,   {},                                     0, 0, false},
        {__LINE__, Windows::XP32,    0, 0, 0, 0,  80, 0, 1, Fault::Write8,   {{8, 208}},                             0, 0, false},
        {__LINE__, Windows::XP32,    1, 1, 0, 0, 208, 5, 1, Fault::Write8,   {{8, 80}, {38, 1}, {37, 0}},            2, 0, true},
        {__LINE__, Windows::XP32,    1, 1, 0, 0,  80, 5, 1, Fault::Write37,  {{38, 1}, {37, 0}},                     2, 0, false},
        {__LINE__, Windows::XP32,    1, 1, 0, 0,  80, 5, 1, Fault::Write38,  {{38, 1}, {37, 0}},                     2, 0, true},
    };
    for (const Case& c : cases) {
        const std::string label = "case at line " + std::to_string(c.line);
        DeviceRun run;
        SetWindows(run.machine, c.windows);
        run.AddProgram(c.windows == Windows::XP32 ? "D:\\XP_x86\\SetupDrv.exe" : "D:\\Vista_x86\\SetupDrv.exe");
        run.WriteSettings("[Const]\nEnableAudioClass=1\nEnableXPAudioClass=" + std::to_string(c.xpAudioClass) +
                          "\nEnableAudioVol=" + std::to_string(c.audioVol) +
                          "\nDelAudioRegKey=" + std::to_string(c.delKey) +
                          "\nDelAudioRegKeyMessage=" + std::to_string(c.delKeyMessage) + "\n");
        json device = CaptureDevice({{"8", c.r8}, {"37", c.r37}, {"38", c.r38}},
                                    {{"failures", FailureRules(c.fault)}});
        if (c.fault == Fault::ReadsAndDetection)
            device["i2c_present"] = false;
        run.AddCapture({{"video", {device}}});
        run.RunLauncher();

        EXPECT_EQ(run.Writes(), c.writes) << label;
        const auto pauses = run.Effects("sleep");
        EXPECT_EQ(pauses.size(), static_cast<std::size_t>(c.pauses)) << label;
        for (const auto& pause : pauses)
            EXPECT_EQ(pause["milliseconds"], 200) << label;
        EXPECT_EQ(run.RemovalPasses(), c.removals) << label;
        std::vector<std::string> expectedBoxes;
        if (c.fault == Fault::ReadsAndDetection)
            expectedBoxes.push_back(DeviceChannel::kNotDetected);
        if (c.rePlug)
            expectedBoxes.push_back(kRePlugin);
        EXPECT_EQ(run.MessageTexts(), expectedBoxes) << label;
        // The register bank shows what was written and succeeded.
        const auto& registers = run.machine.capture.video[0].model.registers;
        std::uint8_t r8 = static_cast<std::uint8_t>(c.r8);
        for (const RegisterWrite& w : c.writes) {
            if (w.reg == 8 && c.fault != Fault::Write8)
                r8 = static_cast<std::uint8_t>(w.value);
        }
        EXPECT_EQ(registers[8], r8) << label;
        run.ExpectComClean(label);
    }
}

TEST_F(DeviceTest, PausesComeBeforeEachVolumeWrite)
{
    WriteSettings("[Const]\nEnableXPAudioClass=1\nEnableAudioVol=1\n");
    AddCapture({{"video", {CaptureDevice({{"8", 80}, {"37", 9}, {"38", 0}})}}});
    RunLauncher();
    std::vector<std::string> steps;
    for (const auto& effect : machine.trace.Effects()) {
        if (effect["effect"] == "sleep")
            steps.push_back("sleep");
        else if (effect["effect"] == "property" && effect["id"] == 4104 && effect["call"] == "set")
            steps.push_back("write");
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"sleep", "write", "sleep", "write"}));
}

TEST_F(DeviceTest, RunsAfterTheInstallerAndBeforeThePackagesOnlyWhereItShould)
{
    struct Case {
        Windows windows;
        int enableAudioClass;
        bool runs;
    };
    const Case cases[] = {
        // windows        EnableAudioClass  runs
        {Windows::XP32,    0,               true},
        {Windows::XP64,    0,               true},
        {Windows::Vista32, 0,               false},
        {Windows::Vista32, 1,               true},
        {Windows::Win7_64, 1,               true},
    };
    for (const Case& c : cases) {
        DeviceRun run;
        SetWindows(run.machine, c.windows);
        run.WriteSettings("[Const]\nEnableAudioClass=" + std::to_string(c.enableAudioClass) +
                          "\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\nAnotherAPXPx64Exe0=Tool.exe\n"
                          "AnotherAPVistax86Exe0=Tool.exe\nAnotherAPVistax64Exe0=Tool.exe\n");
        run.AddProgram("D:\\Tool.exe");
        run.AddCapture({{"video", {CaptureDevice({{"8", 7}})}}});
        run.RunLauncher();
        std::vector<std::string> order;
        for (const auto& effect : run.machine.trace.Effects()) {
            const std::string kind = effect["effect"];
            if (kind == "create_process" || kind == "co_initialize" || kind == "co_uninitialize")
                order.push_back(kind);
        }
        const std::vector<std::string> expected =
            c.runs ? std::vector<std::string>{"create_process", "co_initialize", "co_uninitialize",
                                              "create_process"}
                   : std::vector<std::string>{"create_process", "create_process"};
        EXPECT_EQ(order, expected) << static_cast<int>(c.windows);
    }
}

TEST_F(DeviceTest, WithoutACaptureDeviceNothingIsTouched)
{
    WriteSettings("[Const]\nDelAudioRegKey=1\nDelAudioRegKeyMessage=1\nDeviceIDNum=1\nDevDrvID0=USB\\VID_1B80\n");
    AddNodes({{{"hardware_ids", {"USB\\VID_1B80&PID_E411"}}}});
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    RunLauncher();
    EXPECT_TRUE(PropertyCalls().empty());
    EXPECT_EQ(RemovalPasses(), 0);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_FALSE(machine.devices.Nodes()[0].removed);
    EXPECT_EQ(Effects("co_initialize").size(), 1u);
    EXPECT_EQ(Effects("co_uninitialize").size(), 1u);
    EXPECT_EQ(app->Channel().Client(), nullptr);
    ExpectComClean("no device");
}

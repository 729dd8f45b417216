#include <cstring>
#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

namespace {

std::vector<std::string> ReadKeys(const SimulatedMachine& machine)
{
    std::vector<std::string> keys;
    for (const auto& read : machine.trace.OfKind("profile_read"))
        keys.push_back(read["key"].get<std::string>());
    return keys;
}

} // namespace

TEST_F(LauncherTest, EveryKeyTakesItsDefaultWithoutASettingsFile)
{
    const LauncherSettings& s = RunLauncher().Settings;
    EXPECT_STREQ(s.SetupVistax64Path, "Vista_x64");
    EXPECT_STREQ(s.SetupVistax86Path, "Vista_x86");
    EXPECT_STREQ(s.SetupXPx64Path, "XP_x64");
    EXPECT_STREQ(s.SetupXPx86Path, "XP_x86");
    for (const char* exe : {s.SetupVistax64Exe, s.SetupVistax86Exe, s.SetupXPx64Exe, s.SetupXPx86Exe})
        EXPECT_STREQ(exe, "SetupDrv.exe");
    EXPECT_STREQ(s.Setup, "SetupDrv");
    EXPECT_STREQ(s.NoSetupPath, kNotSupported);
    EXPECT_STREQ(s.RePlugin, kRePlugin);
    EXPECT_STREQ(s.HotfixReBoot, "Please Reboot your computer.");
    EXPECT_STREQ(s.LaunchAnotherAPParam, "0");
    for (std::int32_t number : {s.AnotherAPNum, s.HotfixSilenceMode, s.EnableAudioClass,
                                s.EnableXPAudioClass, s.EnableAudioVol, s.DelAudioRegKey,
                                s.DelAudioRegKeyMessage, s.EnableTimer, s.WaitTimer,
                                s.CheckFinishInstall, s.MustRePlugin, s.HotfixMustRebootMessage,
                                s.DeviceIDNum})
        EXPECT_EQ(number, 0);
    EXPECT_STREQ(s.AnotherAPXPx86Exe[0], "");
}

TEST_F(LauncherTest, KeysAreReadInTheirFixedOrderFromTheProgramFolder)
{
    machine.traceProfileReads = true;
    WriteSettings("[Const]\nDeviceIDNum=1\nAnotherAPNum=1\n");
    RunLauncher();
    const std::vector<std::string> expected = {
        "DeviceIDNum", "DevDrvID0", "DeviceIDSection0",
        "SetupVistax64Path", "SetupVistax64Exe", "SetupVistax86Path", "SetupVistax86Exe",
        "SetupXPx64Path", "SetupXPx64Exe", "SetupXPx86Path", "SetupXPx86Exe",
        "SilenceMode",
        "EnableAudioClass", "EnableXPAudioClass", "DelAudioRegKey", "DelAudioRegKeyMessage",
        "EnableAudioVol", "EnableTimer", "WaitTimer", "CheckFinishInstall", "AnotherAPNum",
        "HotfixSilenceMode",
        "AnotherAPVistax64Exe0", "AnotherAPVistax86Exe0", "AnotherAPXPx64Exe0", "AnotherAPXPx86Exe0",
        "Setup", "NoSetupPath", "RePlugin", "HotfixReBoot", "LaunchAnotherAPParam",
        "MustRePlugin", "HotfixMustRebootMessage"};
    EXPECT_EQ(ReadKeys(machine), expected);
    for (const auto& read : machine.trace.OfKind("profile_read")) {
        EXPECT_EQ(read["file"], "D:\\Setting.ini");
        EXPECT_EQ(read["section"], "Const");
    }
}

TEST_F(LauncherTest, SilenceModeIsNotReadWhenTheCommandLineSetSilentMode)
{
    machine.traceProfileReads = true;
    RunLauncher("silence");
    const auto keys = ReadKeys(machine);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), "SilenceMode"), 0);
}

TEST_F(LauncherTest, IndexedKeysCountFromZeroUpToTheCount)
{
    WriteSettings(
        "[Const]\n"
        "DeviceIDNum=2\nDevDrvID0=USB\\VID_1\nDevDrvID1=USB\\VID_2\nDevDrvID2=USB\\VID_3\n"
        "DeviceIDSection1=Sec1\n"
        "AnotherAPNum=2\nAnotherAPVistax64Exe1=Second.exe\nAnotherAPXPx86Exe0=First.exe\n"
        "AnotherAPXPx86Exe2=NotRead.exe\n");
    const LauncherSettings& s = RunLauncher().Settings;
    EXPECT_STREQ(s.DevDrvID[0], "USB\\VID_1");
    EXPECT_STREQ(s.DevDrvID[1], "USB\\VID_2");
    EXPECT_STREQ(s.DevDrvID[2], "");
    EXPECT_STREQ(s.DeviceIDSection[0], "");
    EXPECT_STREQ(s.DeviceIDSection[1], "Sec1");
    EXPECT_STREQ(s.AnotherAPVistax64Exe[0], "");
    EXPECT_STREQ(s.AnotherAPVistax64Exe[1], "Second.exe");
    EXPECT_STREQ(s.AnotherAPXPx86Exe[0], "First.exe");
    EXPECT_STREQ(s.AnotherAPXPx86Exe[2], "");
}

TEST_F(LauncherTest, CountsBeyondTheListsAreCappedInTheRecord)
{
    std::string ini = "[Const]\nDeviceIDNum=12\nAnotherAPNum=9\n";
    for (int i = 0; i < 12; ++i)
        ini += "DevDrvID" + std::to_string(i) + "=ID" + std::to_string(i) + "\n";
    for (int i = 0; i < 9; ++i)
        ini += "AnotherAPXPx86Exe" + std::to_string(i) + "=P" + std::to_string(i) + ".exe\n";
    WriteSettings(ini);
    const LauncherSettings& s = RunLauncher().Settings;
    EXPECT_EQ(s.DeviceIDNum, LauncherSettings::kDeviceIdSlots);
    EXPECT_EQ(s.AnotherAPNum, LauncherSettings::kPackageSlots);
    EXPECT_STREQ(s.DevDrvID[9], "ID9");
    EXPECT_STREQ(s.AnotherAPXPx86Exe[4], "P4.exe");
}

TEST_F(LauncherTest, NumberKeysAreParsedLikeAtoiAndTextsCutTo255)
{
    WriteSettings("[Const]\nWaitTimer=250ms\nEnableTimer= 2\nMustRePlugin=on\nDeviceIDNum=-1\n"
                  "Setup=" + std::string(400, 'c') + "\n"
                  "[Other]\nHotfixSilenceMode=1\n");
    const LauncherSettings& s = RunLauncher().Settings;
    EXPECT_EQ(s.WaitTimer, 250);
    EXPECT_EQ(s.EnableTimer, 2);
    EXPECT_EQ(s.MustRePlugin, 0);
    EXPECT_EQ(s.DeviceIDNum, -1);
    EXPECT_EQ(s.HotfixSilenceMode, 0); // another section does not count
    EXPECT_EQ(std::string(s.Setup), std::string(255, 'c'));
}

TEST(Settings, ARenamedProgramStillReadsTheSettingsBesideIt)
{
    for (const char* name : {"Setup.exe", "Setup (1).exe", "S.exe", "LongerSetupName.exe"}) {
        SimulatedMachine machine;
        SetWindows(machine, Windows::XP32);
        machine.SetProgramPath(std::string("E:\\Driver Setup\\") + name);
        SimFile settings;
        settings.text = "[Const]\nSetup=Found\n";
        machine.files.AddFile("E:\\Driver Setup\\Setting.ini", settings);
        CLauncherApp app(machine);
        app.InitInstance();
        EXPECT_STREQ(app.Settings.Setup, "Found") << name;
    }
}

TEST_F(LauncherTest, AProgramPathThatDoesNotFitReadsNoFileAndRunsNothing)
{
    const std::string folder = "D:\\" + std::string(520, 'f');
    machine.SetProgramPath(folder + "\\Setup.exe");
    machine.traceProfileReads = true;
    WriteSettings("[Const]\nSetup=Found\n");
    CLauncherApp& launcher = RunLauncher();
    EXPECT_STREQ(launcher.Settings.Setup, "SetupDrv");
    EXPECT_TRUE(machine.trace.OfKind("profile_read").empty());
    EXPECT_TRUE(Effects("create_process").empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kStartFailed});
}

namespace {

// Every text field of the record with the key it is read from, lists entry
// by entry, for counts of 10 device IDs and 5 packages.
std::vector<std::pair<std::string, const char*>> TextFields(const LauncherSettings& s)
{
    std::vector<std::pair<std::string, const char*>> fields = {
        {"SetupVistax64Path", s.SetupVistax64Path}, {"SetupVistax64Exe", s.SetupVistax64Exe},
        {"SetupVistax86Path", s.SetupVistax86Path}, {"SetupVistax86Exe", s.SetupVistax86Exe},
        {"SetupXPx64Path", s.SetupXPx64Path},       {"SetupXPx64Exe", s.SetupXPx64Exe},
        {"SetupXPx86Path", s.SetupXPx86Path},       {"SetupXPx86Exe", s.SetupXPx86Exe},
        {"LaunchAnotherAPParam", s.LaunchAnotherAPParam}, {"Setup", s.Setup},
        {"NoSetupPath", s.NoSetupPath}, {"RePlugin", s.RePlugin}, {"HotfixReBoot", s.HotfixReBoot}};
    for (int i = 0; i < LauncherSettings::kDeviceIdSlots; ++i) {
        fields.push_back({"DevDrvID" + std::to_string(i), s.DevDrvID[i]});
        fields.push_back({"DeviceIDSection" + std::to_string(i), s.DeviceIDSection[i]});
    }
    for (int i = 0; i < LauncherSettings::kPackageSlots; ++i) {
        const std::string index = std::to_string(i);
        fields.push_back({"AnotherAPVistax64Exe" + index, s.AnotherAPVistax64Exe[i]});
        fields.push_back({"AnotherAPVistax86Exe" + index, s.AnotherAPVistax86Exe[i]});
        fields.push_back({"AnotherAPXPx64Exe" + index, s.AnotherAPXPx64Exe[i]});
        fields.push_back({"AnotherAPXPx86Exe" + index, s.AnotherAPXPx86Exe[i]});
    }
    return fields;
}

const char* const kNumberKeys[] = {
    "SilenceMode", "EnableAudioClass", "EnableXPAudioClass", "DelAudioRegKey",
    "DelAudioRegKeyMessage", "EnableAudioVol", "EnableTimer", "WaitTimer", "CheckFinishInstall",
    "HotfixSilenceMode", "MustRePlugin", "HotfixMustRebootMessage"};

// A number key's value of 300 characters: the digits, then letters.
std::string LongNumber(const std::string& digits) { return digits + std::string(300 - digits.size(), 'x'); }

} // namespace

TEST_F(LauncherTest, EveryTextFieldCutAtOnceIsMarked)
{
    LauncherSettings keys = {};
    const auto fields = TextFields(keys);
    ASSERT_EQ(fields.size(), 53u);
    std::string ini = "[Const]\nDeviceIDNum=" + LongNumber("10") + "\nAnotherAPNum=" + LongNumber("5") + "\n";
    for (const char* key : kNumberKeys)
        ini += std::string(key) + "=" + LongNumber("0") + "\n";
    for (const auto& [key, field] : fields)
        ini += key + "=" + std::string(300, 'a' + key.size() % 26) + "\n";
    WriteSettings(ini);
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    CLauncherApp& launcher = RunLauncher();

    for (const auto& [key, field] : TextFields(launcher.Settings)) {
        EXPECT_EQ(std::strlen(field), 255u) << key;
        EXPECT_TRUE(launcher.IsCutText(field)) << key;
    }
    // Neither the installer nor any of the five packages is started.
    EXPECT_TRUE(StartedCommandLines().empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>(6, kStartFailed));
}

TEST_F(LauncherTest, ACutNumberKeyMarksNoText)
{
    std::string ini = "[Const]\nDeviceIDNum=" + LongNumber("1") + "\nAnotherAPNum=" + LongNumber("1") +
                      "\nAnotherAPXPx86Exe0=Tool.exe\n";
    for (const char* key : kNumberKeys)
        ini += std::string(key) + "=" + LongNumber("0") + "\n";
    WriteSettings(ini);
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\Tool.exe");
    CLauncherApp& launcher = RunLauncher();
    for (const auto& [key, field] : TextFields(launcher.Settings))
        EXPECT_FALSE(launcher.IsCutText(field)) << key;
    EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"D:\\XP_x86\\SetupDrv.exe", "D:\\Tool.exe 0"}));

    // A text outside the record is never marked.
    char elsewhere[LauncherSettings::kTextSize] = "outside";
    launcher.NoteCutText(elsewhere);
    EXPECT_FALSE(launcher.IsCutText(elsewhere));
}

// The checker's diagnostics, exactly, for small bad files: one row per kind
// of fault.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/authoring/SettingCheck.h"

namespace {

// A medium holding the four default driver installers and `files`.
Medium MakeMedium(const std::string& ini, const std::vector<std::string>& files)
{
    Medium medium;
    medium.settingsShown = "Setting.ini";
    medium.hasSettings = true;
    medium.settingsText = ini;
    medium.files = {"Setting.ini", "XP_x86\\SetupDrv.exe", "XP_x64\\SetupDrv.exe",
                    "Vista_x86\\SetupDrv.exe", "Vista_x64\\SetupDrv.exe"};
    medium.files.insert(medium.files.end(), files.begin(), files.end());
    return medium;
}

std::vector<std::string> Check(const Medium& medium)
{
    std::vector<std::string> lines;
    for (const Diagnostic& diagnostic : CheckSettings(medium, CheckOptions{}))
        lines.push_back(FormatDiagnostic(medium.settingsShown, diagnostic));
    return lines;
}

struct Case {
    const char* what;
    std::string ini;
    std::vector<std::string> files;
    std::vector<std::string> expected;
};

const std::string kLong300(300, 'a');
const std::string kEntry250 = "Tools\\" + std::string(240, 'p') + ".exe";

const Case kCases[] = {
    // what, Setting.ini, files beside the installers, diagnostics
    {"a clean file", "[Const]\nSetup=X\n", {}, {}},
    {"no Const section", "[Other]\nFoo=1\n", {}, {"Setting.ini: warning: no [Const] section: every key takes its default"}},
    {"key before any section", "EnableTimer=1\n[Const]\n", {},
     {"Setting.ini:1: warning: 'EnableTimer' stands before any section and is not read: the launcher reads only [Const]"}},
    {"key in another section", "[Const]\n[Options]\nMustRePlugin=1\n", {},
     {"Setting.ini:3: warning: 'MustRePlugin' lies in section [Options] and is not read: the launcher reads only [Const]"}},
    {"unknown key, near a known one", "[Const]\nWaitTimmer=5\n", {},
     {"Setting.ini:2: warning: unknown key 'WaitTimmer'; did you mean 'WaitTimer'?"}},
    {"unknown key, near none", "[Const]\nColour=blue\n", {},
     {"Setting.ini:2: warning: unknown key 'Colour': it has no effect"}},
    {"duplicate key, the first wins", "[Const]\nsetup=A\nSETUP=B\n", {},
     {"Setting.ini:3: warning: duplicate key 'SETUP': the first one, on line 2, is read and this one is not"}},
    {"a second Const section", "[Const]\nSetup=A\n[CONST]\nMustRePlugin=1\n", {},
     {"Setting.ini:3: warning: section [CONST] again: only the first one, on line 1, is read",
      "Setting.ini:4: warning: 'MustRePlugin' lies in a second [Const] section, which is not read"}},
    {"text after the digits", "[Const]\nMustRePlugin=1 yes\n", {},
     {"Setting.ini:2: warning: MustRePlugin '1 yes': the text after the digits is ignored, read as 1"}},
    {"not a number", "[Const]\nCheckFinishInstall=on\n", {},
     {"Setting.ini:2: warning: CheckFinishInstall 'on' is not a number: read as 0"}},
    {"beyond 32 bits, both signs", "[Const]\nEnableAudioVol=4294967296\nDelAudioRegKey=-2147483649\n", {},
     {"Setting.ini:2: warning: EnableAudioVol '4294967296' does not fit 32 bits: read as 2147483647",
      "Setting.ini:3: warning: DelAudioRegKey '-2147483649' does not fit 32 bits: read as -2147483648"}},
    {"the 32-bit limits themselves", "[Const]\nEnableAudioVol=2147483647\nDelAudioRegKey=-2147483648\n", {}, {}},
    {"counts above the capacities", "[Const]\nAnotherAPNum=6\n", {},
     {"Setting.ini:2: warning: AnotherAPNum 6 is more than the 5 additional packages per Windows flavour there is room for: it is taken as 5"}},
    {"negative device count", "[Const]\nDeviceIDNum=-1\n", {},
     {"Setting.ini:2: warning: DeviceIDNum -1 is negative: no pattern is read, yet the device scan runs (and matches nothing)"}},
    {"device pattern missing or empty", "[Const]\nDeviceIDNum=2\nDevDrvID1=\n", {},
     {"Setting.ini:2: warning: DevDrvID0 is missing (DeviceIDNum is 2): its pattern is empty and matches no device",
      "Setting.ini:3: warning: DevDrvID1 is empty: an empty pattern matches no device"}},
    {"short pattern, nothing removed", "[Const]\nDeviceIDNum=1\nDevDrvID0=USB\\VID_1\n", {},
     {"Setting.ini:3: warning: DevDrvID0 'USB\\VID_1' is shorter than a vendor ID such as USB\\VID_xxxx: it matches devices of other makers too"}},
    {"short pattern with removal", "[Const]\nDeviceIDNum=1\nDevDrvID0=USB\\\nEnableXPAudioClass=1\n", {},
     {"Setting.ini:3: error: DevDrvID0 'USB\\' is shorter than a vendor ID such as USB\\VID_xxxx: it matches devices of other makers, whose device nodes the removal would remove too (DelAudioRegKey, EnableXPAudioClass)"}},
    {"a vendor ID is long enough", "[Const]\nDeviceIDNum=1\nDevDrvID0=USB\\VID_1B80\nDelAudioRegKey=1\n", {}, {}},
    {"indexed key beyond the count", "[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe1=a.exe\n", {},
     {"Setting.ini:3: warning: 'AnotherAPXPx86Exe1' is not read: AnotherAPNum is 1"}},
    {"indexed key beyond the capacity", "[Const]\nDeviceIDNum=10\nDevDrvID10=USB\\VID_1B80\n", {},
     {"Setting.ini:2: warning: DevDrvID0 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID1 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID2 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID3 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID4 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID5 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID6 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID7 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID8 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:2: warning: DevDrvID9 is missing (DeviceIDNum is 10): its pattern is empty and matches no device",
      "Setting.ini:3: warning: 'DevDrvID10' is not read: the list has room for 10 entries (indexes 0 to 9)"}},
    {"a gap in a package list", "[Const]\nAnotherAPNum=2\nAnotherAPXPx86Exe1=a.exe\n", {"a.exe"},
     {"Setting.ini:2: warning: AnotherAPXPx86Exe0 is missing before a later entry: that index is passed over on Windows XP (32-bit)"}},
    {"cut texts", "[Const]\nSetupXPx86Exe=" + kLong300 + "\nRePlugin=" + kLong300 + "\n", {},
     {"Setting.ini:2: error: SetupXPx86Exe is 300 characters long and is cut to 255: the launcher forms no path or command from a cut text",
      "Setting.ini:3: warning: RePlugin is 300 characters long and is cut to 255"}},
    {"installer not on the medium, other letter case found", "[Const]\nSetupXPx86Exe=setup\nSetupXPx64Path=xp_X64\n", {"XP_x86\\SETUP.EXE"}, {}},
    {"installer not on the medium", "[Const]\nSetupVistax86Exe=Install.exe\n", {},
     {"Setting.ini:2: error: the driver installer for Windows Vista and later (32-bit), Vista_x86\\Install.exe, is not on the medium"}},
    {"empty installer text: not supported, not missing", "[Const]\nSetupXPx64Path=\n", {}, {}},
    {"packages not on the medium", "[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool\nAnotherAPVistax86Exe0=KB1.msu\n", {},
     {"Setting.ini:3: error: package 'Tool.exe' is not on the medium: its start fails with \"CreateProcess failed.\"",
      "Setting.ini:4: error: update package 'KB1.msu' is not on the medium"}},
    {"update package for XP", "[Const]\nAnotherAPNum=1\nAnotherAPXPx64Exe0=KB1.msu\n", {"kb1.MSU"},
     {"Setting.ini:3: warning: update package 'KB1.msu' for Windows XP: XP has no program for .msu files, so the shell refuses to open it"}},
    {".MSU in other letter case", "[Const]\nAnotherAPNum=1\nAnotherAPVistax64Exe0=KB1.Msu\n", {"KB1.Msu"},
     {"Setting.ini:3: error: 'KB1.Msu' ends in '.Msu': only '.msu' in lower case makes an update package, so it is run as a program, which fails"}},
    {"timer without an update package", "[Const]\nEnableTimer=1\nWaitTimer=100\n", {},
     {"Setting.ini:2: warning: EnableTimer is on but no update package (.msu) is listed: the timer never starts"}},
    {"timer period 0", "[Const]\nEnableTimer=1\nAnotherAPNum=1\nAnotherAPVistax86Exe0=KB1.msu\n", {"KB1.msu"},
     {"Setting.ini:2: warning: WaitTimer is 0: the timer ticks at the system's shortest period, about every 10 ms"}},
    {"timer period negative", "[Const]\nEnableTimer=1\nWaitTimer=-5\nAnotherAPNum=1\nAnotherAPVistax86Exe0=KB1.msu\n", {"KB1.msu"},
     {"Setting.ini:3: error: WaitTimer -5 is taken as 4294967291 ms, beyond Windows' longest timer period (about 24.8 days): the first scan for the update's dialogs comes only then"}},
    {"timer period ignored without the timer", "[Const]\nWaitTimer=-5\n", {}, {}},
    {"command line too long in silent mode", "[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=" + kEntry250 + "\nLaunchAnotherAPParam=" + std::string(255, 'q') + "\n", {kEntry250},
     {"Setting.ini:3: warning: the command line of package '" + kEntry250 + "' is 517 characters long in silent mode, more than the 511 that fit: the launcher does not start it then"}},
};

TEST(SettingCheckTest, ReportsEachFaultExactly)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Check(MakeMedium(c.ini, c.files)), c.expected);
    }
}

TEST(SettingCheckTest, MissingSettingsIsAnError)
{
    Medium medium = MakeMedium("", {});
    medium.hasSettings = false;
    const auto diagnostics = CheckSettings(medium, CheckOptions{});
    ASSERT_FALSE(diagnostics.empty());
    EXPECT_EQ(FormatDiagnostic("Setting.ini", diagnostics.front()),
              "Setting.ini: error: no Setting.ini on the medium: every key takes its default");
}

TEST(SettingCheckTest, CommandLengthsFollowTheProgramFolder)
{
    // Fits at the root of a drive, not in a deep folder.
    Medium medium = MakeMedium("[Const]\nSetupXPx86Path=" + std::string(245, 'f') + "\nSetupXPx86Exe=" +
                                   std::string(245, 'e') + ".exe\n",
                               {std::string(245, 'f') + "\\" + std::string(245, 'e') + ".exe"});
    EXPECT_EQ(Check(medium), std::vector<std::string>{});
    CheckOptions deep;
    deep.programFolder = "C:\\Users\\Someone\\Downloads";
    const auto diagnostics = CheckSettings(medium, deep);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(FormatDiagnostic("Setting.ini", diagnostics[0]),
              "Setting.ini:3: error: the installer command for Windows XP (32-bit) is 522 characters long, more than the 511 that fit: the launcher does not start it");
}

} // namespace

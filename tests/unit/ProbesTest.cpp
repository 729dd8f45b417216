#include <string>

#include "probes/OsProbes.h"
#include "tests/unit/LauncherFixture.h"

namespace {

const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kWow6432CurrentVersion = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";

RegistryValue Text(const std::string& s, win::DWORD type = win::REG_SZ)
{
    RegistryValue value{type, {s.begin(), s.end()}};
    value.data.push_back(0);
    return value;
}

} // namespace

TEST(Probes, VersionProbesReadTheVersionRecord)
{
    struct Case {
        win::DWORD platform, major, minor;
        const char* servicePack;
        int nt6, vistaSP1, win7;
    };
    const Case cases[] = {
        // platform major minor service pack         NT6 SP1 Win7
        {2, 5, 1, "Service Pack 3",                   0, 0, 0},
        {2, 5, 2, "Service Pack 1",                   0, 0, 0},
        {2, 6, 0, "Service Pack 1",                   1, 1, 0},
        {2, 6, 0, "service pack 1",                   1, 1, 0},
        {2, 6, 0, "Service Pack 2",                   1, 0, 0},
        {2, 6, 0, "",                                 1, 0, 0},
        {2, 6, 0, "Service Pack 1 beta",              1, 0, 0},
        {2, 6, 1, "",                                 1, 0, 1},
        {2, 6, 1, "Service Pack 1",                   1, 1, 1},
        {2, 6, 2, "",                                 1, 0, 0},
        {2, 6, 3, "",                                 1, 0, 0},
        {2, 10, 0, "",                                0, 0, 0},
        {1, 6, 1, "Service Pack 1",                   0, 0, 0}, // not an NT platform
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.version.platformId = c.platform;
        machine.version.major = c.major;
        machine.version.minor = c.minor;
        machine.version.servicePack = c.servicePack;
        const std::string label = std::to_string(c.major) + "." + std::to_string(c.minor) + " " + c.servicePack;
        EXPECT_EQ(DetectWinNT6(machine), c.nt6) << label;
        EXPECT_EQ(DetectVistaSP1(machine), c.vistaSP1) << label;
        EXPECT_EQ(DetectWin7(machine), c.win7) << label;
    }
}

TEST(Probes, AFailedVersionQueryCountsAsNoNT6System)
{
    SimulatedMachine machine;
    machine.version.major = 6;
    machine.version.minor = 1;
    machine.version.available = false;
    EXPECT_EQ(DetectWinNT6(machine), 0);
    EXPECT_EQ(DetectVistaSP1(machine), 0);
    EXPECT_EQ(DetectWin7(machine), 0);
}

TEST(Probes, SixtyFourBitWhenTheX86ProgramFolderEndsInX86)
{
    struct Case {
        const char* label;
        bool present;
        RegistryValue value;
        int is64;
    };
    const Case cases[] = {
        // label                    present value                                   64-bit
        {"usual",                   true, Text("C:\\Program Files (x86)"),          1},
        {"other case",              true, Text("D:\\Apps (X86)"),                   1},
        {"expandable text",         true, Text("C:\\Program Files (x86)", win::REG_EXPAND_SZ), 1},
        {"trailing separator",      true, Text("C:\\Program Files (x86)\\"),        0},
        {"(x86) not at the end",    true, Text("C:\\(x86) Programs"),               0},
        {"no parenthesis",          true, Text("C:\\Program Files"),                0},
        {"255 characters fit",      true, Text(std::string(250, 'p') + "(x86)"),    1},
        {"too long for 256 bytes",  true, Text(std::string(251, 'p') + "(x86)"),    0},
        {"not terminated",          true, RegistryValue{win::REG_BINARY, {'(', 'x', '8', '6', ')'}}, 1},
        {"absent",                  false, {},                                      0},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.registry.AddKey(kCurrentVersion);
        if (c.present)
            machine.registry.SetValue(kCurrentVersion, "ProgramFilesDir (x86)", c.value);
        EXPECT_EQ(Detect64BitOS(machine), c.is64) << c.label;
        EXPECT_EQ(machine.registry.OpenKeyCount(), 0u) << c.label;
    }
    SimulatedMachine withoutKey;
    EXPECT_EQ(Detect64BitOS(withoutKey), 0);
}

TEST(FinishInstallFlag, ComesFromTheMarkOfTheRightView)
{
    using View = SimRegistry::View;
    struct Case {
        const char* label;
        bool is64;
        const char* key; // null: no value
        View view;       // where the value is written
        RegistryValue value;
        std::int32_t finished;
    };
    const RegistryValue one{win::REG_DWORD, {1, 0, 0, 0}};
    const Case cases[] = {
        // label                                64-bit key                     view          value                                     finished
        {"mark 1",                              false, kCurrentVersion,        View::Program, one,                                      1},
        {"mark 0",                              false, kCurrentVersion,        View::Program, RegistryValue{win::REG_DWORD, {0, 0, 0, 0}}, 0},
        {"mark 2",                              false, kCurrentVersion,        View::Program, RegistryValue{win::REG_DWORD, {2, 0, 0, 0}}, 0},
        {"type not tested",                     false, kCurrentVersion,        View::Program, RegistryValue{win::REG_BINARY, {1, 0, 0, 0}}, 1},
        {"text of four characters",             false, kCurrentVersion,        View::Program, Text("1111"),                             0},
        {"shorter than a number",               false, kCurrentVersion,        View::Program, RegistryValue{win::REG_BINARY, {1}},       0},
        {"absent",                              false, nullptr,                View::Program, {},                                       0},
        // 32-bit Windows: a literal Wow6432Node key is an ordinary key.
        {"32-bit, Wow6432Node only",            false, kWow6432CurrentVersion, View::Program, one,                                      0},
        // 64-bit Windows: the 32-bit view is where the 32-bit installer writes;
        // the plain path and the Wow6432Node path are the same key there.
        {"64-bit, written by a 32-bit program", true,  kCurrentVersion,        View::Program, one,                                      1},
        {"64-bit, literal Wow6432Node",         true,  kWow6432CurrentVersion, View::Program, one,                                      1},
        {"64-bit, native Wow6432Node",          true,  kWow6432CurrentVersion, View::Native,  one,                                      1},
        // A 64-bit installer's mark in the native view is out of this program's sight.
        {"64-bit, native view only",            true,  kCurrentVersion,        View::Native,  one,                                      0},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        SetWindows(run.machine, c.is64 ? Windows::XP64 : Windows::XP32);
        if (c.key != nullptr)
            run.machine.registry.SetValue(c.key, "FinishInstall", c.value, c.view);
        run.WriteSettings("[Const]\nCheckFinishInstall=1\n");
        EXPECT_EQ(run.RunLauncher().FinishInstalled, c.finished) << c.label;
        EXPECT_EQ(run.machine.registry.OpenKeyCount(), 0u) << c.label;
    }
}

TEST_F(LauncherTest, FinishInstalledIsOneWithoutTheCheck)
{
    SetRegistryDword(kCurrentVersion, "FinishInstall", 0);
    EXPECT_EQ(RunLauncher().FinishInstalled, 1);
}

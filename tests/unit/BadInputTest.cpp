// Bad input and faults of the machine, one row each, with what the run does:
// it never crashes, never runs a path cut short, and goes on after every
// failure.
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/DeviceFixture.h"

namespace {

using Strings = std::vector<std::string>;
using Arrange = std::function<void(SimulatedRun&)>;

const char* const kXP86 = "D:\\XP_x86\\SetupDrv.exe";
const char* const kXP64 = "D:\\XP_x64\\SetupDrv.exe";
const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

void SetValue(SimulatedRun& run, const std::string& name, win::DWORD type, const std::string& bytes)
{
    run.machine.registry.SetValue(kCurrentVersion, name,
                                  RegistryValue{type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
}

std::string Terminated(const std::string& text) { return text + std::string(1, '\0'); }

// Settings with the installer and the five packages P0.exe ... P4.exe, which
// all exist, and a count taken from `count`.
Arrange Counts(const std::string& count)
{
    return [count](SimulatedRun& run) {
        std::string ini = "[Const]\nAnotherAPNum=" + count + "\nDeviceIDNum=" + count + "\n";
        for (int i = 0; i < 10; ++i) {
            ini += "AnotherAPXPx86Exe" + std::to_string(i) + "=P" + std::to_string(i) + ".exe\n";
            run.AddProgram("D:\\P" + std::to_string(i) + ".exe");
        }
        run.WriteSettings(ini);
        run.AddProgram(kXP86);
    };
}

Strings InstallerAndPackages(int count)
{
    Strings commands = {kXP86};
    for (int i = 0; i < count; ++i)
        commands.push_back("D:\\P" + std::to_string(i) + ".exe 0");
    return commands;
}

// Settings that take the finish mark from the registry, and one package.
Arrange FinishMark(win::DWORD type, const std::string& bytes)
{
    return [type, bytes](SimulatedRun& run) {
        run.WriteSettings("[Const]\nCheckFinishInstall=1\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n");
        run.AddProgram(kXP86);
        run.AddProgram("D:\\Tool.exe");
        SetValue(run, "FinishInstall", type, bytes);
    };
}

Arrange ProgramFiles(win::DWORD type, const std::string& bytes)
{
    return [type, bytes](SimulatedRun& run) {
        run.AddProgram(kXP86);
        run.AddProgram(kXP64);
        SetValue(run, "ProgramFilesDir (x86)", type, bytes);
    };
}

Arrange ProgramPath(const std::string& path)
{
    return [path](SimulatedRun& run) {
        run.machine.SetProgramPath(path);
        const auto separator = path.rfind('\\');
        const std::string folder = separator == std::string::npos ? "" : path.substr(0, separator);
        run.WriteSettings("[Const]\nMustRePlugin=1\n");
        run.AddProgram(folder + "\\XP_x86\\SetupDrv.exe");
        run.AddProgram("\\XP_x86\\SetupDrv.exe");
        run.AddProgram("XP_x86\\SetupDrv.exe");
    };
}

std::string Bytes(std::size_t count)
{
    std::string bytes;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 24);
    }
    return bytes;
}

const std::string kFolder290 = "D:\\" + std::string(287, 'f');

} // namespace

TEST(BadInput, EveryRowEndsWithItsExpectedOutcome)
{
    struct Row {
        const char* label;
        Arrange arrange;
        Strings commands;          // command lines of the children started, in order
        Strings messages;          // message-box texts, in order
        std::int32_t anotherAPNum; // the counts in the record
        std::int32_t deviceIDNum;
        std::int32_t hotfixLaunched;
    };
    const Row rows[] = {
        // label, arrange, commands, messages, AnotherAPNum, DeviceIDNum, HotfixLaunched

        // --- Setting.ini ---
        {"binary settings", [](SimulatedRun& run) {
             run.WriteSettings(Bytes(4096));
             run.AddProgram(kXP86);
         }, {kXP86}, {}, 0, 0, 0},
        {"binary settings with the section inside", [](SimulatedRun& run) {
             run.WriteSettings(Bytes(1000) + "\n[Const]\nSetup=Found\nMustRePlugin=1\n" + Bytes(1000));
             run.AddProgram(kXP86);
         }, {kXP86}, {kRePlugin}, 0, 0, 0},
        {"empty settings", [](SimulatedRun& run) {
             run.WriteSettings("");
             run.AddProgram(kXP86);
         }, {kXP86}, {}, 0, 0, 0},
        {"10 MB of settings, the keys at the end", [](SimulatedRun& run) {
             std::string ini = "[Const]\n";
             const std::string comment = ";" + std::string(1022, 'c') + "\n";
             while (ini.size() < 10 * 1024 * 1024)
                 ini += comment;
             run.WriteSettings(ini + "AnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n");
             run.AddProgram(kXP86);
             run.AddProgram("D:\\Tool.exe");
         }, {kXP86, "D:\\Tool.exe 0"}, {}, 1, 0, 0},
        {"one line of 100,000 characters", [](SimulatedRun& run) {
             const std::string name(100000, 'n');
             run.WriteSettings("[Const]\nSetupXPx86Exe=" + name + "\n");
             run.AddProgram(kXP86);
             run.AddProgram("D:\\XP_x86\\" + name.substr(0, 255) + ".exe");
         }, {}, {kStartFailed}, 0, 0, 0},
        {"counts of 2147483647", Counts("2147483647"), InstallerAndPackages(5), {}, 5, 10, 0},
        {"counts of -2147483648", Counts("-2147483648"), InstallerAndPackages(0), {}, INT32_MIN, INT32_MIN, 0},
        {"counts of 4294967297", Counts("4294967297"), InstallerAndPackages(5), {}, 5, 10, 0},
        {"counts of abc", Counts("abc"), InstallerAndPackages(0), {}, 0, 0, 0},

        // --- The program's own path ---
        // Beyond MAX_PATH: the settings file can't be read (every key takes
        // its default) and the installer's path is refused by the system.
        {"program path of 300 characters", ProgramPath(kFolder290 + "\\Setup.exe"),
         {}, {kStartFailed}, 0, 0, 0},
        {"program path without a separator", ProgramPath("Setup.exe"),
         {}, {kStartFailed}, 0, 0, 0},
        {"program path of fewer than 10 characters", ProgramPath("D:\\S.exe"),
         {kXP86}, {kRePlugin}, 0, 0, 0},

        // --- Registry values ---
        {"bitness text without terminator", ProgramFiles(win::REG_SZ, "C:\\Program Files (x86)"),
         {kXP64}, {}, 0, 0, 0},
        {"bitness text of 256 bytes without terminator",
         ProgramFiles(win::REG_SZ, std::string(251, 'C') + "(x86)"), {kXP64}, {}, 0, 0, 0},
        {"bitness text longer than its buffer",
         ProgramFiles(win::REG_SZ, Terminated(std::string(300, 'C') + "(x86)")), {kXP86}, {}, 0, 0, 0},
        {"bitness text of the wrong type", ProgramFiles(win::REG_DWORD, std::string("\x01\0\0\0", 4)),
         {kXP86}, {}, 0, 0, 0},
        {"finish mark of the wrong type", FinishMark(win::REG_SZ, Terminated("1")), {kXP86}, {}, 1, 0, 0},
        {"finish mark longer than its buffer", FinishMark(win::REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8)),
         {kXP86}, {}, 1, 0, 0},
        {"finish mark shorter than its buffer", FinishMark(win::REG_BINARY, std::string("\x01\0", 2)),
         {kXP86}, {}, 1, 0, 0},
        {"finish mark as 4 binary bytes (the type is not tested)",
         FinishMark(win::REG_BINARY, std::string("\x01\0\0\0", 4)), {kXP86, "D:\\Tool.exe 0"}, {}, 1, 0, 0},

        // --- Children and the shell ---
        {"a child that cannot start", [](SimulatedRun& run) {
             run.WriteSettings("[Const]\nAnotherAPNum=2\nAnotherAPXPx86Exe0=Tool.exe\nAnotherAPXPx86Exe1=Tool.exe /2\n");
             run.AddProgram(kXP86, win::ERROR_ACCESS_DENIED);
             run.AddProgram("D:\\Tool.exe", win::ERROR_ELEVATION_REQUIRED);
         }, {}, {kStartFailed, kStartFailed, kStartFailed}, 2, 0, 0},
        {"a shell that refuses every open", [](SimulatedRun& run) {
             run.WriteSettings("[Const]\nAnotherAPNum=4\nAnotherAPXPx86Exe0=KB1.msu\nAnotherAPXPx86Exe1=KB2.msu\n"
                               "AnotherAPXPx86Exe2=Missing\\KB3.msu\nAnotherAPXPx86Exe3=Tool.exe\n");
             run.AddProgram(kXP86);
             run.AddDataFile("D:\\KB1.msu");
             run.AddDataFile("D:\\KB2.msu");
             run.AddProgram("D:\\Tool.exe");
             run.machine.shell.Associate(".msu", win::SE_ERR_ACCESSDENIED);
         }, {kXP86, "D:\\Tool.exe 0"}, {}, 4, 0, 0},
        {"a shell without an association", [](SimulatedRun& run) {
             run.WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=KB1.msu\n");
             run.AddProgram(kXP86);
             run.AddDataFile("D:\\KB1.msu");
         }, {kXP86}, {}, 1, 0, 0},
    };
    for (const Row& row : rows) {
        SimulatedRun run;
        row.arrange(run);
        CLauncherApp& launcher = run.RunLauncher();
        EXPECT_EQ(run.StartedCommandLines(), row.commands) << row.label;
        EXPECT_EQ(run.MessageTexts(), row.messages) << row.label;
        EXPECT_EQ(launcher.Settings.AnotherAPNum, row.anotherAPNum) << row.label;
        EXPECT_EQ(launcher.Settings.DeviceIDNum, row.deviceIDNum) << row.label;
        EXPECT_EQ(launcher.HotfixLaunched, row.hotfixLaunched) << row.label;
        // Whatever happened, nothing is left open.
        EXPECT_EQ(run.machine.processes.OpenHandleCount(), 0u) << row.label;
        EXPECT_EQ(run.machine.registry.OpenKeyCount(), 0u) << row.label;
    }
}

// --- The device subsystem -----------------------------------------------------

namespace {

using DeviceArrange = std::function<void(DeviceRun&)>;
using Writes = std::vector<RegisterWrite>;

const std::string kPattern = "USB\\VID_1B80&PID_E411";

// XP with the driver installer, the audio-class switches that touch every
// register and remove nodes, one pattern, and a package after the device
// step, so that a run that goes on past it shows.
void DeviceSettings(DeviceRun& run, const std::string& more = "")
{
    run.WriteSettings("[Const]\nDeviceIDNum=1\nDevDrvID0=" + kPattern +
                      "\nDelAudioRegKey=1\nEnableXPAudioClass=1\nEnableAudioVol=1\n"
                      "AnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n" + more);
    run.AddProgram(kXP86);
    run.AddProgram("D:\\Tool.exe");
}

// Register 8 at 208 and the volume off its target: a normal run writes all three.
json NormalDevice(json more = json::object())
{
    return CaptureDevice({{"8", 208}, {"37", 5}, {"38", 0}}, std::move(more));
}

SimDeviceNode RawNode(const std::string& bytes, bool present = true)
{
    SimDeviceNode node;
    node.hardwareIds.assign(bytes.begin(), bytes.end());
    node.present = present;
    return node;
}

std::size_t RemovedNodes(const DeviceRun& run)
{
    std::size_t removed = 0;
    for (const SimDeviceNode& node : run.machine.devices.Nodes())
        removed += node.removed;
    return removed;
}

// What every device run keeps to, whatever failed: it went on to the
// package, closed the channel with COM uninitialised and nothing held, and
// wrote only what the rules allow for XP with EnableXPAudioClass.
void ExpectDeviceRunSound(const DeviceRun& run, const std::string& label)
{
    EXPECT_EQ(run.StartedCommandLines(), Strings({kXP86, "D:\\Tool.exe 0"})) << label;
    EXPECT_EQ(run.Effects("co_initialize").size(), run.Effects("co_uninitialize").size()) << label;
    run.ExpectComClean(label);
    int classWrites = 0;
    for (const RegisterWrite& write : run.Writes()) {
        const bool allowed = (write.reg == 8 && write.value == 80) || (write.reg == 38 && write.value == 1) ||
                             (write.reg == 37 && write.value == 0);
        EXPECT_TRUE(allowed) << label << ": " << write;
        classWrites += write.reg == 8;
    }
    EXPECT_LE(classWrites, 1) << label;
}

} // namespace

TEST(BadInput, DeviceRowsEndWithTheirExpectedOutcome)
{
    struct Row {
        const char* label;
        DeviceArrange arrange;
        int matched;          // MatchedDeviceCount
        std::size_t removed;  // nodes gone from the tree
        Writes writes;        // I2C writes attempted, in order
    };
    const Writes all = {{8, 80}, {38, 1}, {37, 0}};
    const Row rows[] = {
        // label, arrange, matched, removed, writes
        {"hardware IDs without any terminator", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             run.machine.devices.AddNode(RawNode(kPattern + "&REV_0100"));
         }, 1, 1, all},
        {"a hardware ID without terminator that ends inside the pattern", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             run.machine.devices.AddNode(RawNode(kPattern.substr(0, 12)));
         }, 0, 0, all},
        {"an empty hardware-ID list", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             run.machine.devices.AddNode(RawNode(""));
         }, 0, 0, all},
        {"a hardware-ID list of 64 KiB", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             SimDeviceNode node;
             node.hardwareIds = MultiString({kPattern + std::string(65536, 'X'), "USB\\Class_0E"});
             run.machine.devices.AddNode(node);
         }, 1, 1, all},
        {"a hardware-ID list of 64 KiB without terminator", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             run.machine.devices.AddNode(RawNode(std::string(65536, 'U')));
             run.machine.devices.AddNode(RawNode(kPattern + std::string(65536, 'X')));
         }, 1, 1, all},
        {"10,000 device nodes, thirteen of them matched", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice()}}});
             for (int i = 0; i < 10000; ++i) {
                 const bool matched = i % 800 == 7;
                 SimDeviceNode node;
                 node.hardwareIds = MultiString({matched ? kPattern + "&MI_0" + std::to_string(i % 10)
                                                         : "PCI\\VEN_8086&DEV_" + std::to_string(i)});
                 node.present = matched || i % 3 != 0;
                 run.machine.devices.AddNode(node);
             }
         }, 10, 13, all},
        {"a filter that refuses the interface", [](DeviceRun& run) {
             DeviceSettings(run);
             run.AddCapture({{"video", {NormalDevice({{"refuse_interface", true}}), NormalDevice()}}});
             run.AddNodes({{{"hardware_ids", {kPattern}}}});
         }, 1, 0, {}},
    };
    for (const Row& row : rows) {
        DeviceRun run;
        row.arrange(run);
        CLauncherApp& launcher = run.RunLauncher();
        EXPECT_EQ(launcher.MatchedDeviceCount, row.matched) << row.label;
        EXPECT_EQ(RemovedNodes(run), row.removed) << row.label;
        EXPECT_EQ(run.Writes(), row.writes) << row.label;
        ExpectDeviceRunSound(run, row.label);
    }
}

// For each property call of a normal XP run, a run in which exactly that
// call fails once.
TEST(BadInput, ADriverThatFailsAtEachSinglePropertyCallInTurn)
{
    const auto arrange = [](DeviceRun& run, int failingCall) {
        DeviceSettings(run);
        run.AddCapture({{"video", {NormalDevice()}}});
        run.machine.capture.video[0].model.failingCall = failingCall;
        run.AddNodes({{{"hardware_ids", {kPattern}}}});
    };
    DeviceRun normal;
    arrange(normal, -1);
    normal.RunLauncher();
    const std::size_t calls = normal.PropertyCalls().size();
    // Two reads on open, three for detection, three register reads and three writes.
    ASSERT_EQ(calls, 17u) << normal.machine.trace.ToJsonLines();
    ExpectDeviceRunSound(normal, "the normal run");

    for (std::size_t k = 0; k < calls; ++k) {
        DeviceRun run;
        arrange(run, static_cast<int>(k));
        run.RunLauncher();
        const std::string label = "property call " + std::to_string(k) + " failing";
        const auto properties = run.PropertyCalls();
        ASSERT_GT(properties.size(), k) << label;
        EXPECT_EQ(properties[k]["result"], static_cast<std::uint32_t>(win::E_FAIL)) << label;
        // A failed transfer step clears the selection right after.
        const auto id = properties[k]["id"];
        const bool transferStep = id == 4104 || (id == 4103 && properties[k]["data"] != 0);
        if (transferStep) {
            ASSERT_GT(properties.size(), k + 1) << label;
            EXPECT_EQ(properties[k + 1]["id"], 4103) << label;
            EXPECT_EQ(properties[k + 1]["data"], 0) << label;
        }
        ExpectDeviceRunSound(run, label);
    }
}

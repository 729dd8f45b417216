// Bad input and faults of the machine, one row each, with what the run does:
// it never crashes, never runs a path cut short, and goes on after every
// failure.
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

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

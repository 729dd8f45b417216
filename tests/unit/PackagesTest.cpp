#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

using Strings = std::vector<std::string>;

TEST(Packages, HasExtensionComparesFromTheLastCharacterExactly)
{
    struct Case {
        const char* text;
        int result;
    };
    const Case cases[] = {
        // text                 result
        {"KB100.msu", 1},
        {"dir.v2\\KB100.msu", 1},
        {"KB100.MSU", 0},
        {"archive.msu.bak", 0},
        {"KB100.msux", 0},
        {"KB100.ms", 0},
        {"setup", 0},
        {".msu", 1},
        {"", 0},
    };
    SimulatedMachine machine;
    CLauncherApp launcher(machine);
    for (const Case& c : cases)
        EXPECT_EQ(launcher.HasExtension(c.text, '.', ".msu"), c.result) << c.text;
}

TEST(Packages, EachFlavourWalksItsOwnListAndDecidesPerEntry)
{
    struct Case {
        Windows windows;
        const char* list;
        bool updatesOpened; // false: update packages are passed over
    };
    const Case cases[] = {
        // Windows              list                      .msu opened
        {Windows::XP32,        "AnotherAPXPx86Exe",       true},
        {Windows::XP64,        "AnotherAPXPx64Exe",       true},
        {Windows::Vista32,     "AnotherAPVistax86Exe",    true},
        {Windows::Vista64,     "AnotherAPVistax64Exe",    true},
        {Windows::VistaSP1_32, "AnotherAPVistax86Exe",    false},
        {Windows::Win7_32,     "AnotherAPVistax86Exe",    false},
        {Windows::Win7_64,     "AnotherAPVistax64Exe",    false},
        {Windows::Win8_64,     "AnotherAPVistax64Exe",    true},
    };
    const char* lists[] = {"AnotherAPVistax64Exe", "AnotherAPVistax86Exe", "AnotherAPXPx64Exe",
                           "AnotherAPXPx86Exe"};
    for (const Case& c : cases) {
        SimulatedRun run;
        SetWindows(run.machine, c.windows);
        std::string ini = "[Const]\nAnotherAPNum=3\nHotfixSilenceMode=1\n";
        for (const char* list : lists) {
            const std::string tag = list == std::string(c.list) ? "" : std::string("-") + list;
            ini += std::string(list) + "0=KB100" + tag + ".msu\n";
            ini += std::string(list) + "2=Tool" + tag + ".exe\n";
        }
        run.WriteSettings(ini);
        run.AddDataFile("D:\\KB100.msu");
        run.AddProgram("D:\\Tool.exe");
        run.machine.shell.Associate(".msu", 42);
        CLauncherApp& launcher = run.RunLauncher();

        const auto opened = run.Effects("shell_open");
        EXPECT_EQ(opened.size(), c.updatesOpened ? 1u : 0u) << c.list;
        if (!opened.empty()) {
            EXPECT_EQ(opened[0]["file"], "D:\\KB100.msu");
            EXPECT_EQ(opened[0]["verb"], "open");
            EXPECT_EQ(opened[0]["parameters"], "/quiet /norestart");
            EXPECT_TRUE(opened[0]["directory"].is_null());
            EXPECT_EQ(opened[0]["show"], win::SW_SHOW);
        }
        EXPECT_EQ(launcher.HotfixLaunched, c.updatesOpened ? 1 : 0) << c.list;
        // The installer (absent here) failed; the tool of the right list ran.
        const auto started = run.StartedCommandLines();
        EXPECT_EQ(started, Strings{"D:\\Tool.exe 0"}) << c.list;
    }
}

TEST(Packages, HotfixLaunchedOnlyWhenTheShellReturnsMoreThan32)
{
    struct Case {
        win::INT_PTR shellResult;
        std::int32_t launched;
    };
    const Case cases[] = {{2, 0}, {31, 0}, {32, 0}, {33, 1}, {42, 1}};
    for (const Case& c : cases) {
        SimulatedRun run;
        SetWindows(run.machine, Windows::Vista32);
        run.WriteSettings("[Const]\nAnotherAPNum=2\nAnotherAPVistax86Exe1=KB100.msu\n");
        run.AddDataFile("D:\\KB100.msu");
        run.machine.shell.Associate(".msu", c.shellResult);
        EXPECT_EQ(run.RunLauncher().HotfixLaunched, c.launched) << c.shellResult;
        EXPECT_TRUE(run.MessageTexts() == Strings{kStartFailed}) << "only the missing installer";
    }
}

TEST_F(LauncherTest, ShellErrorsOfTheMachineLeaveHotfixLaunchedOff)
{
    // No association (31) and a missing file (2), as the shell answers them.
    WriteSettings("[Const]\nAnotherAPNum=2\nAnotherAPXPx86Exe0=KB100.msu\nAnotherAPXPx86Exe1=Gone.msu\n");
    AddDataFile("D:\\KB100.msu");
    CLauncherApp& launcher = RunLauncher();
    const auto opened = Effects("shell_open");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0]["result"], win::SE_ERR_NOASSOC);
    EXPECT_EQ(opened[1]["result"], win::SE_ERR_FNF);
    EXPECT_EQ(launcher.HotfixLaunched, 0);
}

TEST_F(LauncherTest, WithoutHotfixSilenceModeThePackageGetsNoParameters)
{
    WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=KB100.msu\n");
    AddDataFile("D:\\KB100.msu");
    machine.shell.Associate(".msu", 42);
    RunLauncher("silence");
    const auto opened = Effects("shell_open");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0]["parameters"].is_null());
    EXPECT_EQ(opened[0]["file"], "D:\\KB100.msu"); // silent mode adds nothing to a shell open
}

TEST_F(LauncherTest, ProgramsGetTheArgumentTextAndSilence)
{
    struct Case {
        const char* ini;
        const char* arguments;
        Strings commands;
    };
    const Case cases[] = {
        {"LaunchAnotherAPParam=/x -y\n", "", {"D:\\Tool.exe /x -y"}},
        {"LaunchAnotherAPParam=\n", "", {"D:\\Tool.exe "}},
        {"", "silence", {"D:\\Tool.exe 0 Silence"}},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.WriteSettings(std::string("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n") + c.ini);
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.AddProgram("D:\\Tool.exe");
        run.RunLauncher(c.arguments);
        const auto started = run.Effects("create_process");
        ASSERT_EQ(started.size(), 2u) << c.ini;
        EXPECT_EQ(started[1]["application"], "D:\\Tool.exe");
        EXPECT_EQ(run.StartedCommandLines()[1], c.commands[0]) << c.ini;
    }
}

TEST_F(LauncherTest, EmptyEntriesAreSkippedAndOthersRunInOrder)
{
    WriteSettings("[Const]\nAnotherAPNum=5\nAnotherAPXPx86Exe1=setup\nAnotherAPXPx86Exe3=KB100.MSU\n"
                  "AnotherAPXPx86Exe4=Sub Dir\\Two Words.exe\n");
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\setup.exe");
    AddDataFile("D:\\KB100.MSU");
    AddProgram("D:\\Sub Dir\\Two Words.exe");
    // Behind the program folder the program is found by the rule for
    // unquoted command lines: "D:\\Sub" comes first and names D:\\Sub.exe.
    AddProgram("D:\\Sub.exe");
    RunLauncher();
    const auto started = Effects("create_process");
    ASSERT_EQ(started.size(), 4u);
    EXPECT_EQ(started[1]["application"], "D:\\setup.exe");
    EXPECT_EQ(started[1]["command_line"], "D:\\setup 0");
    // Upper case is no update package: run as a program, which fails.
    EXPECT_EQ(started[2]["application"], "D:\\KB100.MSU");
    EXPECT_EQ(started[2]["error"], win::ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(started[3]["module"], "D:\\Sub.exe");
    EXPECT_EQ(started[3]["command_line"], "D:\\Sub Dir\\Two Words.exe 0");
    EXPECT_EQ(MessageTexts(), Strings{kStartFailed});
    EXPECT_TRUE(Effects("shell_open").empty());
}

TEST_F(LauncherTest, NoPackageIsLookedAtForACountBelowOne)
{
    for (const char* count : {"0", "-1"}) {
        SimulatedRun run;
        run.WriteSettings(std::string("[Const]\nAnotherAPNum=") + count + "\nAnotherAPXPx86Exe0=Tool.exe\n");
        run.AddProgram("D:\\Tool.exe");
        run.RunLauncher();
        EXPECT_TRUE(run.StartedCommandLines().empty()) << count;
    }
}

namespace {

// The medium's folder: 200 characters, so that "Setting.ini" beside it stays
// below MAX_PATH.
const std::string kLongFolder = "D:\\" + std::string(197, 'o');

} // namespace

TEST(Packages, ProgramsAtTheBufferAndThePathLimit)
{
    // The command line must fit its 512 bytes, and the program path, once
    // "." and ".." are resolved, must stay below MAX_PATH (260), else
    // CreateProcess refuses it with ERROR_PATH_NOT_FOUND.
    struct Case {
        const char* label;
        std::string entry;
        std::size_t argumentLength;
        bool attempted; // CreateProcess called for the package
        bool runs;
    };
    const std::string dotted = Dotted(255, "Tool.exe");
    const Case cases[] = {
        // label                              entry                                   argument attempted runs
        {"command of 511, short path",         dotted,                                 54,      true,     true},
        {"command of 512",                     dotted,                                 55,      false,    false},
        {"program path of 259",                std::string(54, 'e') + ".exe",          1,       true,     true},
        {"program path of 260",                std::string(55, 'e') + ".exe",          1,       true,     false},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.machine.SetProgramPath(kLongFolder + "\\Setup.exe");
        run.WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=" + c.entry +
                          "\nLaunchAnotherAPParam=" + std::string(c.argumentLength, 'p') + "\n");
        run.AddProgram(kLongFolder + "\\XP_x86\\SetupDrv.exe");
        run.AddProgram(kLongFolder + "\\" + c.entry);
        run.RunLauncher();
        const auto attempts = run.Effects("create_process");
        ASSERT_EQ(attempts.size(), c.attempted ? 2u : 1u) << c.label;
        if (c.attempted) {
            const std::string command =
                kLongFolder + "\\" + c.entry + " " + std::string(c.argumentLength, 'p');
            EXPECT_EQ(attempts[1]["command_line"], command) << c.label;
            EXPECT_EQ(attempts[1]["result"], c.runs) << c.label;
            if (!c.runs)
                EXPECT_EQ(attempts[1]["error"], win::ERROR_PATH_NOT_FOUND) << c.label;
        }
        EXPECT_EQ(run.MessageTexts(), c.runs ? Strings{} : Strings{kStartFailed}) << c.label;
    }
}

TEST(Packages, UpdatePackagesAtThePathLimit)
{
    // The shell finds no file at a path of MAX_PATH characters or more:
    // SE_ERR_FNF, as under Wine.
    struct Case {
        const char* label;
        std::string entry;
        win::INT_PTR result;
    };
    const Case cases[] = {
        // label                    entry                                result
        {"path of 259",              std::string(54, 'k') + ".msu",       42},
        {"path of 260",              std::string(55, 'k') + ".msu",       win::SE_ERR_FNF},
        {"long text, short path",    Dotted(250, "KB100.msu"),            42},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.machine.SetProgramPath(kLongFolder + "\\Setup.exe");
        run.WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=" + c.entry + "\n");
        run.AddProgram(kLongFolder + "\\XP_x86\\SetupDrv.exe");
        run.AddDataFile(kLongFolder + "\\" + c.entry);
        run.machine.shell.Associate(".msu", 42);
        CLauncherApp& launcher = run.RunLauncher();
        const auto opened = run.Effects("shell_open");
        ASSERT_EQ(opened.size(), 1u) << c.label;
        EXPECT_EQ(opened[0]["result"], c.result) << c.label;
        EXPECT_EQ(launcher.HotfixLaunched, c.result > 32 ? 1 : 0) << c.label;
    }
}

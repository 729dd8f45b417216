#include <algorithm>
#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

using Strings = std::vector<std::string>;

TEST(InstallSequence, RunsTheInstallerOfTheRunningFlavour)
{
    struct Case {
        Windows windows;
        const char* command;
    };
    const Case cases[] = {
        // Windows             installer command
        {Windows::XP32,        "D:\\XP_x86\\SetupDrv.exe"},
        {Windows::XP64,        "D:\\XP_x64\\SetupDrv.exe"},
        {Windows::Vista32,     "D:\\Vista_x86\\SetupDrv.exe"},
        {Windows::Vista64,     "D:\\Vista_x64\\SetupDrv.exe"},
        {Windows::Win7_64,     "D:\\Vista_x64\\SetupDrv.exe"},
        {Windows::Win8_64,     "D:\\Vista_x64\\SetupDrv.exe"},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        SetWindows(run.machine, c.windows);
        run.AddProgram(c.command);
        run.RunLauncher();
        const auto started = run.Effects("create_process");
        ASSERT_EQ(started.size(), 1u) << c.command;
        EXPECT_EQ(started[0]["command_line"], c.command);
        EXPECT_EQ(started[0]["application"], c.command);
        EXPECT_EQ(started[0]["inherit_handles"], false);
        EXPECT_EQ(started[0]["creation_flags"], 0);
        const auto waits = run.Effects("wait");
        ASSERT_EQ(waits.size(), 1u);
        EXPECT_EQ(waits[0]["milliseconds"], win::INFINITE);
        EXPECT_EQ(run.machine.processes.OpenHandleCount(), 0u) << "handles left open";
        EXPECT_TRUE(run.MessageTexts().empty());
    }
}

TEST_F(LauncherTest, SilentModeAppendsSilenceToTheInstallerCommand)
{
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    RunLauncher("silence");
    EXPECT_EQ(StartedCommandLines(), Strings{"D:\\XP_x86\\SetupDrv.exe Silence"});
    EXPECT_EQ(Effects("create_process")[0]["application"], "D:\\XP_x86\\SetupDrv.exe");
}

TEST_F(LauncherTest, AnEmptyInstallerTextShowsNotSupportedAndTheRunGoesOn)
{
    SetWindows(machine, Windows::XP64);
    WriteSettings("[Const]\nSetupXPx64Path=\nMustRePlugin=1\nAnotherAPNum=1\nAnotherAPXPx64Exe0=Tool.exe\n");
    AddProgram("D:\\XP_x64\\SetupDrv.exe");
    AddProgram("D:\\Tool.exe");
    RunLauncher();
    EXPECT_EQ(MessageTexts(), (Strings{kNotSupported, kRePlugin}));
    EXPECT_EQ(StartedCommandLines(), Strings{"D:\\Tool.exe 0"});
    for (const auto& box : Effects("message_box")) {
        EXPECT_EQ(box["caption"], "SetupDrv");
        EXPECT_EQ(box["style"], win::MB_OK);
        EXPECT_TRUE(box["owner"].is_null());
    }
}

TEST_F(LauncherTest, AnEmptyFileTextAloneIsEnough)
{
    WriteSettings("[Const]\nSetupXPx86Exe=\nSetup=Caption\n");
    RunLauncher();
    const auto boxes = Effects("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], kNotSupported);
    EXPECT_EQ(boxes[0]["caption"], "Caption");
    EXPECT_TRUE(Effects("create_process").empty());
}

TEST_F(LauncherTest, AnInstallerThatFailsToStartShowsTheMessageAndTheRunGoesOn)
{
    WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n");
    AddProgram("D:\\Tool.exe");
    RunLauncher();
    EXPECT_EQ(MessageTexts(), Strings{kStartFailed});
    EXPECT_EQ(StartedCommandLines(), Strings{"D:\\Tool.exe 0"});
}

TEST_F(LauncherTest, AFolderWithBlanksNeverRunsAnotherProgram)
{
    machine.SetProgramPath("C:\\Driver Setup\\Setup.exe");
    AddProgram("C:\\Driver.exe");
    AddProgram("C:\\Driver Setup\\XP_x86\\SetupDrv.exe");
    RunLauncher();
    const auto started = Effects("create_process");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0]["command_line"], "C:\\Driver Setup\\XP_x86\\SetupDrv.exe");
    EXPECT_EQ(started[0]["module"], "C:\\Driver Setup\\XP_x86\\SetupDrv.exe");
}

TEST_F(LauncherTest, AFileNameWithoutExtensionRunsItsExeFile)
{
    WriteSettings("[Const]\nSetupXPx86Exe=SetupDrv\nSetupXPx86Path=Drivers.v2\n");
    AddProgram("D:\\Drivers.v2\\SetupDrv.exe");
    RunLauncher();
    const auto started = Effects("create_process");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0]["application"], "D:\\Drivers.v2\\SetupDrv.exe");
    EXPECT_EQ(started[0]["command_line"], "D:\\Drivers.v2\\SetupDrv");
    EXPECT_EQ(started[0]["result"], true);
}

TEST(InstallSequence, TheProgramFolderIsWhatPrecedesTheLastSeparator)
{
    struct Case {
        const char* program;
        const char* command;
    };
    const Case cases[] = {
        // program file               installer command
        {"D:\\Setup.exe",             "D:\\XP_x86\\SetupDrv.exe"},
        {"D:\\Setup (1).exe",         "D:\\XP_x86\\SetupDrv.exe"},
        {"D:\\a\\b\\x.exe",           "D:\\a\\b\\XP_x86\\SetupDrv.exe"},
        {"\\\\server\\share\\Setup.exe", "\\\\server\\share\\XP_x86\\SetupDrv.exe"},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.machine.SetProgramPath(c.program);
        run.AddProgram(c.command);
        run.RunLauncher();
        EXPECT_EQ(run.StartedCommandLines(), Strings{c.command}) << c.program;
    }
}

TEST(InstallSequence, CommandsThatDoNotFitAreNeverRunAndLongPathsFailToStart)
{
    // The installer command is its program path: D:\<outer>\<installer folder>\SetupDrv.exe.
    // Below MAX_PATH (260) it starts; from 260 characters CreateProcess
    // refuses it (ERROR_PATH_NOT_FOUND); from 512, with " Silence" where it
    // is added, it does not fit its buffer and CreateProcess is never called.
    struct Case {
        std::size_t pathLength;
        const char* arguments;
        bool attempted; // CreateProcess called
        bool runs;
    };
    const Case cases[] = {
        // path length arguments  attempted runs
        {259, "",        true,     true},
        {260, "",        true,     false},
        {259, "silence", true,     true},    // the limit is the program path's, not the command line's
        {511, "",        true,     false},
        {512, "",        false,    false},
        {503, "silence", true,     false},   // 511 with " Silence"
        {504, "silence", false,    false},   // 512 with " Silence"
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        const std::size_t fixed = 3 + 1 + 13; // "D:\", "\" and "\SetupDrv.exe"
        const std::size_t installerLength = std::min<std::size_t>(255, c.pathLength - fixed - 1);
        const std::string folder = "D:\\" + std::string(c.pathLength - fixed - installerLength, 'o');
        const std::string installerFolder(installerLength, 'f');
        run.machine.SetProgramPath(folder + "\\Setup.exe");
        run.WriteSettings("[Const]\nSetupXPx86Path=" + installerFolder + "\n");
        const std::string command = folder + "\\" + installerFolder + "\\SetupDrv.exe";
        ASSERT_EQ(command.size(), c.pathLength);
        run.AddProgram(command);
        run.RunLauncher(c.arguments);
        const std::string label = std::to_string(c.pathLength) + " " + c.arguments;
        const auto started = run.Effects("create_process");
        ASSERT_EQ(started.size(), c.attempted ? 1u : 0u) << label;
        if (c.attempted) {
            EXPECT_EQ(started[0]["result"], c.runs) << label;
            if (!c.runs)
                EXPECT_EQ(started[0]["error"], win::ERROR_PATH_NOT_FOUND) << label;
        }
        EXPECT_EQ(run.MessageTexts(), c.runs ? Strings{} : Strings{kStartFailed}) << label;
    }
}

TEST_F(LauncherTest, TheReplugMessageFollowsAFinishedInstallation)
{
    struct Case {
        const char* ini;
        bool mark;
        Strings messages;
    };
    const Case cases[] = {
        {"[Const]\nMustRePlugin=1\n", false, {kRePlugin}},
        {"[Const]\nMustRePlugin=1\nCheckFinishInstall=1\n", true, {kRePlugin}},
        {"[Const]\nMustRePlugin=1\nCheckFinishInstall=1\n", false, {}},
        {"[Const]\nMustRePlugin=0\n", false, {}},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.WriteSettings(c.ini);
        if (c.mark)
            run.SetRegistryDword("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "FinishInstall", 1);
        run.RunLauncher();
        EXPECT_EQ(run.MessageTexts(), c.messages) << c.ini << " mark " << c.mark;
    }
}

TEST_F(LauncherTest, WithoutTheMarkNoPackageRuns)
{
    WriteSettings("[Const]\nCheckFinishInstall=1\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n");
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\Tool.exe");
    RunLauncher();
    EXPECT_EQ(StartedCommandLines(), Strings{"D:\\XP_x86\\SetupDrv.exe"});
}

TEST_F(LauncherTest, TheInstallerRunsBeforeThePackages)
{
    WriteSettings("[Const]\nAnotherAPNum=1\nAnotherAPXPx86Exe0=Tool.exe\n");
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\Tool.exe");
    RunLauncher("SILENCE");
    EXPECT_EQ(StartedCommandLines(),
              (Strings{"D:\\XP_x86\\SetupDrv.exe Silence", "D:\\Tool.exe 0 Silence"}));
    // Each child is waited for before the next one starts; the completion
    // dialog comes after both.
    std::vector<nlohmann::json> effects;
    std::size_t lastWait = 0;
    std::size_t firstDialogMessage = 0;
    const auto& all = machine.trace.Effects();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]["effect"] == "create_process" || all[i]["effect"] == "wait")
            effects.push_back(all[i]);
        if (all[i]["effect"] == "wait")
            lastWait = i;
        if (all[i]["effect"] == "send_message" && firstDialogMessage == 0)
            firstDialogMessage = i; // the dialog's icon
    }
    ASSERT_EQ(effects.size(), 4u);
    EXPECT_GT(firstDialogMessage, lastWait);
    EXPECT_EQ(effects[1]["effect"], "wait");
    EXPECT_EQ(effects[1]["command_line"], "D:\\XP_x86\\SetupDrv.exe Silence");
    EXPECT_EQ(effects[3]["command_line"], "D:\\Tool.exe 0 Silence");
}

TEST_F(LauncherTest, RunInstallerAppendsSilenceInPlace)
{
    AddProgram("D:\\Vista_x86\\SetupDrv.exe");
    CLauncherApp launcher(machine);
    launcher.Silent = 3; // any nonzero value is on
    CLauncherApp::PathText command = "D:\\Vista_x86\\SetupDrv.exe";
    EXPECT_EQ(launcher.RunInstaller(command, 3), 1);
    EXPECT_STREQ(command, "D:\\Vista_x86\\SetupDrv.exe Silence");

    CLauncherApp::PathText missing = "D:\\Missing.exe";
    EXPECT_EQ(launcher.RunInstaller(missing, 3), 0);
    EXPECT_EQ(MessageTexts(), Strings{kStartFailed});
}


TEST(InstallSequence, ATextCutTo255CharactersNeverNamesAProgram)
{
    struct Case {
        const char* label;
        std::string key;
        std::string value;
        bool runs;
    };
    const Case cases[] = {
        // label                key                value                                   runs
        {"whole folder",        "SetupXPx86Path",  Dotted(255, "XP_x86"),                  true},
        // The first 255 characters name the installer's folder all the same.
        {"cut folder",          "SetupXPx86Path",  Dotted(255, "XP_x86") + "q",            false},
        {"cut file name",       "SetupXPx86Exe",   Dotted(255, "SetupDrv.exe") + std::string(45, 'q'), false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.value.size() >= 255, true);
        SimulatedRun run;
        run.WriteSettings("[Const]\n" + c.key + "=" + c.value + "\n");
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.RunLauncher();
        EXPECT_EQ(run.StartedCommandLines().size(), c.runs ? 1u : 0u) << c.label;
        EXPECT_EQ(run.MessageTexts(), c.runs ? Strings{} : Strings{kStartFailed}) << c.label;
    }
}

TEST_F(LauncherTest, APackageEntryCutTo255CharactersIsNeverStarted)
{
    const std::string entry(300, 'p');
    // The third entry, cut, ends in ".msu" but is not the name in the file.
    const std::string update = std::string(251, 'k') + ".msu";
    WriteSettings("[Const]\nAnotherAPNum=3\nAnotherAPXPx86Exe0=" + entry +
                  "\nAnotherAPXPx86Exe1=" + entry + ".msu\nAnotherAPXPx86Exe2=" + update + "zz\n");
    AddDataFile("D:\\" + update);
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\" + entry.substr(0, 255) + ".exe");
    machine.shell.Associate(".msu", 42);
    RunLauncher();
    EXPECT_EQ(StartedCommandLines(), Strings{"D:\\XP_x86\\SetupDrv.exe"});
    // The second entry, cut, has lost its ".msu" as well: a program that is
    // not started either.
    EXPECT_TRUE(Effects("shell_open").empty());
    EXPECT_EQ(MessageTexts(), (Strings{kStartFailed, kStartFailed}));
}

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

TEST(InstallSequence, CommandsThatDoNotFitAreNeverRun)
{
    // The command is D:\<outer>\<255 f>\SetupDrv.exe: 272 characters and the outer folder.
    struct Case {
        std::size_t commandLength;
        const char* arguments;
        bool runs;
    };
    const Case cases[] = {
        // command length arguments  runs
        {511, "",        true},
        {512, "",        false},
        {503, "silence", true},   // 511 with " Silence"
        {504, "silence", false},  // 512 with " Silence"
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        const std::string folder = "D:\\" + std::string(c.commandLength - 272, 'o');
        const std::string installerFolder(255, 'f');
        run.machine.SetProgramPath(folder + "\\Setup.exe");
        run.WriteSettings("[Const]\nSetupXPx86Path=" + installerFolder + "\n");
        const std::string command = folder + "\\" + installerFolder + "\\SetupDrv.exe";
        ASSERT_EQ(command.size(), c.commandLength);
        run.AddProgram(command);
        run.RunLauncher(c.arguments);
        const std::string label = std::to_string(c.commandLength) + " " + c.arguments;
        EXPECT_EQ(run.Effects("create_process").size(), c.runs ? 1u : 0u) << label;
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
    for (const auto& effect : machine.trace.Effects()) {
        if (effect["effect"] == "create_process" || effect["effect"] == "wait")
            effects.push_back(effect);
    }
    ASSERT_EQ(effects.size(), 4u);
    EXPECT_EQ(machine.trace.Effects()[4]["effect"], "send_message"); // the dialog's icon
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
    EXPECT_EQ(launcher.RunInstaller("D:\\Vista_x86\\SetupDrv.exe", command), 1);
    EXPECT_STREQ(command, "D:\\Vista_x86\\SetupDrv.exe Silence");

    CLauncherApp::PathText missing = "D:\\Missing.exe";
    EXPECT_EQ(launcher.RunInstaller("D:\\Missing.exe", missing), 0);
    EXPECT_EQ(MessageTexts(), Strings{kStartFailed});
}

TEST(InstallSequence, ATextCutTo255CharactersNeverNamesAProgram)
{
    struct Case {
        const char* label;
        std::string key;
        std::size_t length;
        bool runs;
    };
    const Case cases[] = {
        // label                key                     value length  runs
        {"whole folder",        "SetupXPx86Path",       255,          true},
        {"cut folder",          "SetupXPx86Path",       256,          false},
        {"cut file name",       "SetupXPx86Exe",        300,          false},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        const std::string value(c.length, 'x');
        run.WriteSettings("[Const]\n" + c.key + "=" + value + "\n");
        // A program where the first 255 characters would lead.
        const std::string cut = value.substr(0, 255);
        run.AddProgram(c.key == "SetupXPx86Path" ? "D:\\" + cut + "\\SetupDrv.exe"
                                                 : "D:\\XP_x86\\" + cut + ".exe");
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

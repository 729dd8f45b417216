// Installer and package texts that carry arguments: the program is found by
// the rule for unquoted command lines, but only behind the program folder.
#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

using Strings = std::vector<std::string>;

TEST(ArgumentRule, TheProgramIsTheFirstCandidateBehindTheProgramFolderThatIsAFile)
{
    struct Case {
        const char* label;
        const char* programPath;  // the launcher's own file
        const char* settings;     // lines of section Const; "Tool=" gives the
                                  // one package entry, and no installer runs
        Strings programs;         // programs on the machine
        Strings others;           // data files, and folders (ending in "\")
        const char* module;       // the program started; null when none is
        const char* commandLine;  // its command line
    };
    const Case cases[] = {
        // label, program path, settings, programs, other files and folders, module, command line
        {"installer without arguments", "D:\\Setup.exe", "",
         {"D:\\XP_x86\\SetupDrv.exe"}, {},
         "D:\\XP_x86\\SetupDrv.exe", "D:\\XP_x86\\SetupDrv.exe"},
        {"installer with arguments", "D:\\Setup.exe", "SetupXPx86Exe=SetupDrv.exe /q\n",
         {"D:\\XP_x86\\SetupDrv.exe"}, {},
         "D:\\XP_x86\\SetupDrv.exe", "D:\\XP_x86\\SetupDrv.exe /q"},
        {"package without arguments", "D:\\Setup.exe", "Tool=Tool.exe\n",
         {"D:\\Tool.exe"}, {},
         "D:\\Tool.exe", "D:\\Tool.exe 0"},
        {"package with arguments", "D:\\Setup.exe", "Tool=Tool.exe /S\n",
         {"D:\\Tool.exe"}, {},
         "D:\\Tool.exe", "D:\\Tool.exe /S 0"},
        {"blanks inside the file name", "D:\\Setup.exe", "Tool=Two Words.exe /S\n",
         {"D:\\Two Words.exe"}, {},
         "D:\\Two Words.exe", "D:\\Two Words.exe /S 0"},
        {"blanks inside a folder name", "D:\\Setup.exe", "SetupXPx86Path=My Drivers\n",
         {"D:\\My Drivers\\SetupDrv.exe"}, {},
         "D:\\My Drivers\\SetupDrv.exe", "D:\\My Drivers\\SetupDrv.exe"},
        {"the first candidate that is a file wins", "D:\\Setup.exe",
         "Tool=Two Words.exe\n",
         {"D:\\Two Words.exe", "D:\\Two.exe"}, {},
         "D:\\Two.exe", "D:\\Two Words.exe 0"},
        {"a folder of a candidate's name is passed over", "D:\\Setup.exe",
         "Tool=Tools.v2 run.exe\n",
         {"D:\\Tools.v2 run.exe"}, {"D:\\Tools.v2\\"},
         "D:\\Tools.v2 run.exe", "D:\\Tools.v2 run.exe 0"},
        {"program folder with blanks, planted program", "C:\\Driver Setup\\Setup.exe",
         "SetupXPx86Exe=SetupDrv.exe /q\n",
         {"C:\\Driver.exe", "C:\\Driver Setup\\XP_x86\\SetupDrv.exe"}, {},
         "C:\\Driver Setup\\XP_x86\\SetupDrv.exe", "C:\\Driver Setup\\XP_x86\\SetupDrv.exe /q"},
        {"program folder with blanks, planted program, no installer", "C:\\Driver Setup\\Setup.exe",
         "SetupXPx86Exe=SetupDrv.exe /q\n",
         {"C:\\Driver.exe"}, {},
         nullptr, nullptr},
        {"no extension, with arguments", "D:\\Setup.exe", "SetupXPx86Exe=SetupDrv /q\n",
         {"D:\\XP_x86\\SetupDrv.exe"}, {},
         "D:\\XP_x86\\SetupDrv.exe", "D:\\XP_x86\\SetupDrv /q"},
        {"a file that exists only with .exe added", "D:\\Setup.exe", "Tool=Tool /S\n",
         {"D:\\Tool.exe"}, {"D:\\Tool\\"},
         "D:\\Tool.exe", "D:\\Tool /S 0"},
        {"no candidate names a file", "D:\\Setup.exe", "Tool=Missing.exe /S\n",
         {}, {"D:\\Missing.exe\\"},
         nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SimulatedRun run;
        run.machine.SetProgramPath(c.programPath);
        std::string settings = std::string("[Const]\n") + c.settings;
        const auto tool = settings.find("Tool=");
        if (tool != std::string::npos)
            settings.replace(tool, 5, "SetupXPx86Exe=\nAnotherAPNum=1\nAnotherAPXPx86Exe0=");
        // An empty installer text brings the not-supported message first.
        Strings messages = tool != std::string::npos ? Strings{kNotSupported} : Strings{};
        run.WriteSettings(settings);
        for (const std::string& program : c.programs)
            run.AddProgram(program);
        for (const std::string& other : c.others) {
            if (other.back() == '\\')
                run.machine.files.AddFolder(other);
            else
                run.AddDataFile(other);
        }
        run.RunLauncher();

        const auto started = run.Effects("create_process");
        if (c.module == nullptr) {
            EXPECT_TRUE(started.empty()) << c.label;
            messages.push_back(kStartFailed);
            EXPECT_EQ(run.MessageTexts(), messages) << c.label;
            continue;
        }
        ASSERT_EQ(started.size(), 1u) << c.label;
        EXPECT_EQ(started[0]["result"], true) << c.label;
        EXPECT_EQ(started[0]["application"], c.module) << c.label;
        EXPECT_EQ(started[0]["module"], c.module) << c.label;
        EXPECT_EQ(started[0]["command_line"], c.commandLine) << c.label;
        EXPECT_EQ(run.MessageTexts(), messages) << c.label;
    }
}

TEST_F(LauncherTest, AFileThatIsNoProgramIsTakenAndFailsToStart)
{
    // CreateProcessA would take it too: the first candidate that is a file.
    WriteSettings("[Const]\nSetupXPx86Exe=readme.txt /q\n");
    AddDataFile("D:\\XP_x86\\readme.txt");
    AddProgram("D:\\XP_x86\\readme.txt q.exe");
    RunLauncher();
    const auto started = Effects("create_process");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0]["application"], "D:\\XP_x86\\readme.txt");
    EXPECT_EQ(started[0]["error"], win::ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(MessageTexts(), Strings{kStartFailed});
}

TEST_F(LauncherTest, SilenceIsAppendedAfterTheProgramWasFound)
{
    WriteSettings("[Const]\nSetupXPx86Exe=SetupDrv /q\n");
    AddProgram("D:\\XP_x86\\SetupDrv.exe");
    AddProgram("D:\\XP_x86\\SetupDrv q Silence.exe");
    RunLauncher("silence");
    const auto started = Effects("create_process");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0]["application"], "D:\\XP_x86\\SetupDrv.exe");
    EXPECT_EQ(started[0]["command_line"], "D:\\XP_x86\\SetupDrv /q Silence");
}

TEST(SimulatedFiles, GetFileAttributesAnswersAsWindows)
{
    SimulatedMachine machine;
    SimFile program;
    program.isProgram = true;
    machine.files.AddFile("D:\\Sub\\Tool.exe", program);
    machine.SetCurrentFolder("D:\\Sub");
    struct Case {
        const char* name;
        win::DWORD attributes;
        win::DWORD error;  // the last error when there are none
    };
    const Case cases[] = {
        // name                 attributes                        error
        {"D:\\Sub\\Tool.exe",   win::FILE_ATTRIBUTE_ARCHIVE,      0},
        {"d:/sub/TOOL.EXE",     win::FILE_ATTRIBUTE_ARCHIVE,      0},
        {"Tool.exe",            win::FILE_ATTRIBUTE_ARCHIVE,      0},
        {"D:\\Sub",             win::FILE_ATTRIBUTE_DIRECTORY,    0},
        {"D:\\Sub\\",           win::FILE_ATTRIBUTE_DIRECTORY,    0},
        {"D:\\Sub\\Other.exe",  win::INVALID_FILE_ATTRIBUTES,     win::ERROR_FILE_NOT_FOUND},
        {"D:\\None\\Tool.exe",  win::INVALID_FILE_ATTRIBUTES,     win::ERROR_PATH_NOT_FOUND},
        {"D:\\Sub\\T*.exe",     win::INVALID_FILE_ATTRIBUTES,     win::ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(machine.GetFileAttributesA(c.name), c.attributes) << c.name;
        if (c.error != 0)
            EXPECT_EQ(machine.GetLastError(), c.error) << c.name;
    }
}

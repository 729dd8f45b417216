// The simulated machine answers as Windows does; the end-to-end runs under
// Wine check the same facts against a real implementation.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/WinConstants.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedMachine.h"

namespace {

SimFile TextFile(const std::string& text)
{
    SimFile file;
    file.text = text;
    return file;
}

SimFile Program(win::DWORD startError = 0)
{
    SimFile file;
    file.isProgram = true;
    file.program.startError = startError;
    return file;
}

std::string ReadProfile(SimulatedMachine& machine, const char* key, const char* defaultText = "dflt",
                        win::DWORD size = 256, const char* file = "D:\\Setting.ini")
{
    char buffer[300];
    std::memset(buffer, '#', sizeof buffer);
    const win::DWORD length =
        machine.GetPrivateProfileStringA("Const", key, defaultText, buffer, size, file);
    EXPECT_EQ(length, std::strlen(buffer)) << key;
    EXPECT_EQ(buffer[size], '#') << "written past the given size for " << key;
    return buffer;
}

} // namespace

TEST(SimulatedProfile, FindsValuesByWindowsRules)
{
    const char* ini =
        "; settings\n"
        "[Other]\n"
        "Setup=wrong section\n"
        "[ const ]\r\n"
        "  Setup  =  My Caption  \r\n"
        "QUOTED=\"  spaced  \"\n"
        "Single='x'\n"
        "Half=\"open\n"
        "Empty=\n"
        "NoEquals\n"
        "Setup=second key of the name\n"
        ";Hidden=1\n"
        "[Const]\n"
        "Late=in a second section of the name\n";
    struct Case {
        const char* key;
        const char* value; // null: absent
    };
    const Case cases[] = {
        // key          value
        {"setup", "My Caption"},
        {"Quoted", "  spaced  "},
        {"Single", "x"},
        {"Half", "\"open"},
        {"Empty", ""},
        {"NoEquals", ""},
        {"Hidden", nullptr},
        {"Late", nullptr},
        {"Missing", nullptr},
    };
    for (const Case& c : cases) {
        const auto value = FindProfileValue(ini, "Const", c.key);
        if (c.value == nullptr)
            EXPECT_FALSE(value.has_value()) << c.key;
        else
            EXPECT_EQ(value.value_or("<absent>"), c.value) << c.key;
    }
}

TEST(SimulatedProfile, GivesTheDefaultAndCutsToTheBuffer)
{
    SimulatedMachine machine;
    machine.files.AddFile("D:\\Setting.ini", TextFile("[Const]\nLong=" + std::string(300, 'v') + "\n"));

    EXPECT_EQ(ReadProfile(machine, "Absent"), "dflt");
    EXPECT_EQ(ReadProfile(machine, "Absent", "trailing   "), "trailing");
    EXPECT_EQ(ReadProfile(machine, "Absent", nullptr), "");
    EXPECT_EQ(ReadProfile(machine, "Long"), std::string(255, 'v'));
    EXPECT_EQ(ReadProfile(machine, "Long", "", 10), std::string(9, 'v'));
    EXPECT_EQ(ReadProfile(machine, "Absent", "0123456789", 4), "012");
    EXPECT_EQ(ReadProfile(machine, "Long", "dflt", 256, "D:\\Missing.ini"), "dflt");
}

TEST(SimulatedRegistry, AnswersQueriesWithWindowsErrorCodes)
{
    SimulatedMachine machine;
    RegistryValue text{win::REG_SZ, {'a', 'b', 'c', 0}};
    machine.registry.SetValue("SOFTWARE\\Test", "Text", text);

    win::HKEY key = nullptr;
    EXPECT_EQ(machine.RegOpenKeyExA("SOFTWARE\\Missing", 0, win::KEY_QUERY_VALUE, &key),
              static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(machine.RegOpenKeyExA("software\\TEST", 0, win::KEY_QUERY_VALUE, &key), win::ERROR_SUCCESS);

    char data[8] = {};
    win::DWORD type = 0;
    win::DWORD size = 3;
    EXPECT_EQ(machine.RegQueryValueExA(key, "text", &type, reinterpret_cast<win::BYTE*>(data), &size),
              static_cast<win::LONG>(win::ERROR_MORE_DATA));
    EXPECT_EQ(size, 4u);
    size = sizeof data;
    EXPECT_EQ(machine.RegQueryValueExA(key, "Text", &type, reinterpret_cast<win::BYTE*>(data), &size),
              win::ERROR_SUCCESS);
    EXPECT_EQ(type, win::REG_SZ);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(data, "abc");
    size = 0;
    EXPECT_EQ(machine.RegQueryValueExA(key, "Text", nullptr, nullptr, &size), win::ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(machine.RegQueryValueExA(key, "Other", nullptr, nullptr, &size),
              static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(machine.RegCloseKey(key), win::ERROR_SUCCESS);
    EXPECT_EQ(machine.RegCloseKey(key), static_cast<win::LONG>(win::ERROR_INVALID_HANDLE));
    EXPECT_EQ(machine.registry.OpenKeyCount(), 0u);
}

TEST(SimulatedRegistry, Wow64ViewJoinsThePlainAndTheWow6432NodePath)
{
    for (bool wow64 : {false, true}) {
        SimulatedMachine machine;
        machine.registry.SetWow64(wow64);
        machine.registry.SetValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "FinishInstall",
                                  RegistryValue{win::REG_DWORD, {1, 0, 0, 0}});
        win::HKEY key = nullptr;
        ASSERT_EQ(machine.RegOpenKeyExA("SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion", 0,
                                        win::KEY_QUERY_VALUE, &key),
                  wow64 ? win::ERROR_SUCCESS : static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND));
        if (key != nullptr)
            machine.RegCloseKey(key);
    }
}

TEST(SimulatedProcesses, FindsTheProgramAsCreateProcessDoes)
{
    struct Case {
        const char* applicationName;
        const char* commandLine;
        win::DWORD error;   // 0: started
        const char* module; // the file that runs
    };
    const Case cases[] = {
        // application name               command line                      error                       module
        {nullptr, "C:\\Driver Setup\\XP_x86\\SetupDrv.exe", 0, "C:\\Driver.exe"},
        {"C:\\Driver Setup\\XP_x86\\SetupDrv.exe", "C:\\Driver Setup\\XP_x86\\SetupDrv.exe", 0,
         "C:\\Driver Setup\\XP_x86\\SetupDrv.exe"},
        {nullptr, "\"C:\\Driver Setup\\XP_x86\\SetupDrv\" x", 0, "C:\\Driver Setup\\XP_x86\\SetupDrv.exe"},
        {nullptr, "C:\\Tools\\Run 0", 0, "C:\\Tools\\Run.exe"},
        {"C:\\Tools\\Run", "C:\\Tools\\Run 0", win::ERROR_FILE_NOT_FOUND, nullptr},
        {"C:\\Tools\\Missing.exe", "x", win::ERROR_FILE_NOT_FOUND, nullptr},
        {"C:\\NoFolder\\Missing.exe", "x", win::ERROR_PATH_NOT_FOUND, nullptr},
        {"C:\\Tools\\KB100.MSU", "C:\\Tools\\KB100.MSU 0", win::ERROR_BAD_EXE_FORMAT, nullptr},
        {"C:\\Tools\\Denied.exe", "x", win::ERROR_ACCESS_DENIED, nullptr},
        {nullptr, "notepad 1", 0, "C:\\Windows\\System32\\notepad.exe"},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.files.AddFile("C:\\Driver.exe", Program());
        machine.files.AddFile("C:\\Driver Setup\\XP_x86\\SetupDrv.exe", Program());
        machine.files.AddFile("C:\\Tools\\Run.exe", Program());
        machine.files.AddFile("C:\\Tools\\KB100.MSU", SimFile{});
        machine.files.AddFile("C:\\Tools\\Denied.exe", Program(win::ERROR_ACCESS_DENIED));
        machine.files.AddFile("C:\\Windows\\System32\\notepad.exe", Program());

        std::string commandLine = c.commandLine;
        win::PROCESS_INFORMATION info = {};
        const win::BOOL started =
            machine.CreateProcessA(c.applicationName, commandLine.data(), win::FALSE, 0, &info);
        const auto effect = machine.trace.OfKind("create_process").at(0);
        if (c.error == 0) {
            EXPECT_TRUE(started) << c.commandLine;
            EXPECT_EQ(effect["module"], c.module) << c.commandLine;
            EXPECT_EQ(machine.WaitForSingleObject(info.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
            EXPECT_TRUE(machine.CloseHandle(info.hProcess));
            EXPECT_TRUE(machine.CloseHandle(info.hThread));
            EXPECT_FALSE(machine.CloseHandle(info.hThread));
            EXPECT_EQ(machine.GetLastError(), win::ERROR_INVALID_HANDLE);
            EXPECT_EQ(machine.processes.OpenHandleCount(), 0u);
        } else {
            EXPECT_FALSE(started) << c.commandLine;
            EXPECT_EQ(machine.GetLastError(), c.error) << c.commandLine;
            EXPECT_EQ(effect["error"], c.error);
        }
    }
}

TEST(SimulatedShell, ReturnsTheShellsCodes)
{
    struct Case {
        const char* verb;
        const char* file;
        win::INT_PTR result;
    };
    const Case cases[] = {
        // verb     file                     result
        {"open", "D:\\KB100.msu", 33},
        {"open", "D:\\kb100.MSU", 33},        // extensions compare without case
        {"open", "D:\\Missing.msu", win::SE_ERR_FNF},
        {"open", "D:\\NoFolder\\KB.msu", win::SE_ERR_PNF},
        {"open", "D:\\Readme.xyz", win::SE_ERR_NOASSOC},
        {"print", "D:\\KB100.msu", win::SE_ERR_NOASSOC},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.files.AddFile("D:\\KB100.msu", SimFile{});
        machine.files.AddFile("D:\\Readme.xyz", SimFile{});
        machine.shell.Associate(".msu", 33);
        EXPECT_EQ(machine.ShellExecuteA(nullptr, c.verb, c.file, "/quiet", nullptr, win::SW_SHOW), c.result)
            << c.verb << " " << c.file;
        const auto effect = machine.trace.OfKind("shell_open").at(0);
        EXPECT_EQ(effect["file"], c.file);
        EXPECT_EQ(effect["parameters"], "/quiet");
        EXPECT_EQ(effect["result"], c.result);
    }
}

TEST(SimulatedKernel, ModulePathIsCutAsEachWindowsCutsIt)
{
    // GetModuleFileNameA on a buffer too small for "D:\Setup.exe" (12
    // characters): Windows XP fills the whole buffer without a terminator and
    // leaves ERROR_SUCCESS; Vista and later end the cut text with a terminator
    // and set ERROR_INSUFFICIENT_BUFFER. (Wine leaves no terminator and sets
    // ERROR_INSUFFICIENT_BUFFER whatever version it reports.)
    struct Case {
        win::DWORD major;
        win::DWORD size;
        win::DWORD result;
        win::DWORD error;   // 0xdeadbeef: left as it was
        const char* text;   // what the buffer holds; null: nothing written
        char last;          // the buffer's last byte, when written
    };
    const Case cases[] = {
        // major size result error                          text              last
        {5,      16,  12,    0xdeadbeef,                    "D:\\Setup.exe",  '\0'},  // fits: no error
        {5,      12,  12,    win::ERROR_SUCCESS,            nullptr,          'e'},
        {5,      0,   0,     win::ERROR_SUCCESS,            nullptr,          '#'},
        {6,      16,  12,    0xdeadbeef,                    "D:\\Setup.exe",  '\0'},
        {6,      12,  12,    win::ERROR_INSUFFICIENT_BUFFER, "D:\\Setup.ex",   '\0'},
        {6,      0,   0,     win::ERROR_INSUFFICIENT_BUFFER, nullptr,          '#'},
        {10,     5,   5,     win::ERROR_INSUFFICIENT_BUFFER, "D:\\S",          '\0'},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.version.major = c.major;
        machine.SetProgramPath("D:\\Setup.exe");
        char buffer[20];
        std::memset(buffer, '#', sizeof buffer);
        machine.SetLastError(0xdeadbeef);
        const std::string label = std::to_string(c.major) + "/" + std::to_string(c.size);
        EXPECT_EQ(machine.GetModuleFileNameA(buffer, c.size), c.result) << label;
        EXPECT_EQ(machine.GetLastError(), c.error) << label;
        if (c.text != nullptr)
            EXPECT_STREQ(buffer, c.text) << label;
        if (c.size == 0) {
            EXPECT_EQ(buffer[0], '#') << label;
        } else if (c.size < 16) {
            EXPECT_EQ(buffer[c.size - 1], c.last) << label;
            EXPECT_EQ(buffer[c.size], '#') << "written past the buffer: " << label;
        }
    }
}

TEST(SimulatedKernel, VersionRecordNeedsItsSize)
{
    SimulatedMachine machine;
    machine.version.major = 6;
    machine.version.minor = 1;
    machine.version.servicePack = "Service Pack 1";
    win::OSVERSIONINFOA info = {};
    EXPECT_FALSE(machine.GetVersionExA(&info));
    EXPECT_EQ(machine.GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(machine.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, win::VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 1");
}

TEST(SimulatedUser, AnswersInOrderThenPressesTheDefault)
{
    SimulatedMachine machine;
    machine.user.QueueAnswer(win::IDCANCEL);
    EXPECT_EQ(machine.MessageBoxA(nullptr, "first", "Cap", win::MB_OKCANCEL), win::IDCANCEL);
    EXPECT_EQ(machine.MessageBoxA(nullptr, "second", nullptr, win::MB_OK), win::IDOK);
    const auto boxes = machine.trace.OfKind("message_box");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0]["style"], win::MB_OKCANCEL);
    EXPECT_EQ(boxes[1]["caption"], "Error");
}

TEST(Scenario, LoadsAMachineAndRefusesMalformedOnes)
{
    const auto good = nlohmann::json::parse(R"({
        "version": {"major": 6, "minor": 1, "service_pack": ""},
        "program": "E:\\Setup.exe",
        "wow64": true,
        "registry": {"SOFTWARE\\Test": {"Short": {"type": "REG_BINARY", "hex": "0100"},
                                          "Number": {"type": "REG_DWORD", "data": 7}}},
        "files": {"E:\\Setting.ini": {"text": "[Const]\nSetup=X\n"},
                  "E:\\Fails.exe": {"program": {"start_error": 740}}},
        "shell": {".msu": 33},
        "answers": [2]
    })");
    SimulatedMachine machine;
    std::string error;
    ASSERT_TRUE(LoadScenario(good, ".", machine, error)) << error;
    EXPECT_EQ(machine.version.major, 6u);
    EXPECT_EQ(machine.ProgramPath(), "E:\\Setup.exe");
    win::HKEY key = nullptr;
    ASSERT_EQ(machine.RegOpenKeyExA("SOFTWARE\\Wow6432Node\\Test", 0, win::KEY_QUERY_VALUE, &key),
              win::ERROR_SUCCESS);
    win::DWORD size = 0;
    EXPECT_EQ(machine.RegQueryValueExA(key, "Short", nullptr, nullptr, &size), win::ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    machine.RegCloseKey(key);
    EXPECT_EQ(machine.files.Find("e:\\FAILS.exe")->program.startError, 740u);
    EXPECT_EQ(machine.MessageBoxA(nullptr, "t", "c", win::MB_OKCANCEL), win::IDCANCEL);

    const char* malformed[] = {
        R"({"registry": {"K": {"V": {"type": "REG_WHAT", "data": 1}}}})",
        R"({"registry": {"K": {"V": {"type": "REG_BINARY", "hex": "123"}}}})",
        R"({"registry": {"K": {"V": {"type": "REG_DWORD", "data": "one"}}}})",
        R"({"files": {"D:\\Setting.ini": {"text_file": "no/such/file.ini"}}})",
        R"({"version": {"major": "six"}})",
    };
    for (const char* text : malformed) {
        SimulatedMachine other;
        error.clear();
        EXPECT_FALSE(LoadScenario(nlohmann::json::parse(text), ".", other, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

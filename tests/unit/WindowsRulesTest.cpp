// Tables of Windows rules the simulated machine follows; each row names the
// Windows behaviour it stands for. The end-to-end cases hold the same rules
// to Wine where Wine can show them.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/LauncherApp.h"
#include "platform/WinConstants.h"
#include "platform/sim/CodePage.h"
#include "platform/sim/NamedSystems.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedMachine.h"
#include "platform/sim/WindowsPath.h"
#include "probes/OsProbes.h"

namespace {

using View = SimRegistry::View;

RegistryValue Dword(std::uint32_t n)
{
    return RegistryValue{win::REG_DWORD, {static_cast<std::uint8_t>(n), 0, 0, 0}};
}

SimFile Program(win::DWORD startError = 0)
{
    SimFile file;
    file.isProgram = true;
    file.program.startError = startError;
    return file;
}

// The DWORD under `path`, opened with `access`: the open status, and the
// number (or the query's status as a negative number).
std::pair<win::LONG, long long> OpenAndRead(SimulatedMachine& machine, const char* path,
                                            win::DWORD access, const char* name = "Mark")
{
    win::HKEY key = nullptr;
    const win::LONG opened = machine.RegOpenKeyExA(path, 0, access, &key);
    if (opened != win::ERROR_SUCCESS)
        return {opened, 0};
    win::DWORD number = 0;
    win::DWORD size = sizeof number;
    const win::LONG queried =
        machine.RegQueryValueExA(key, name, nullptr, reinterpret_cast<win::BYTE*>(&number), &size);
    machine.RegCloseKey(key);
    return {opened, queried == win::ERROR_SUCCESS ? static_cast<long long>(number) : -queried};
}

} // namespace

// --- 1. Registry views -------------------------------------------------------

TEST(WindowsRules, RegistryViewsAndAccessFlags)
{
    constexpr win::DWORD kQuery = win::KEY_QUERY_VALUE;
    constexpr win::LONG kOk = win::ERROR_SUCCESS;
    constexpr long long kNotFound = -static_cast<long long>(win::ERROR_FILE_NOT_FOUND);
    constexpr long long kDenied = -static_cast<long long>(win::ERROR_ACCESS_DENIED);
    const char* plain = "SOFTWARE\\Vendor";
    const char* node = "SOFTWARE\\Wow6432Node\\Vendor";
    struct Case {
        const char* rule;
        bool is64;
        View written; // Mark=1 in this view under `plain`; Mark=2 in the other view (64-bit)
        const char* opened;
        win::DWORD access;
        win::LONG openStatus;
        long long read; // the number, or minus the query's error
    };
    const Case cases[] = {
        // rule                                                     64   written        opened  access                          open  read
        {"32-bit Windows: one view",                                false, View::Program, plain, kQuery,                          kOk, 1},
        {"32-bit Windows: the view flags are ignored",              false, View::Program, plain, kQuery | win::KEY_WOW64_64KEY,   kOk, 1},
        {"32-bit Windows: Wow6432Node is an ordinary name",         false, View::Program, node,  kQuery,                          static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND), 0},
        {"64-bit: a 32-bit program opens the 32-bit view",          true,  View::Program, plain, kQuery,                          kOk, 1},
        {"64-bit: the Wow6432Node path is that same key",           true,  View::Program, node,  kQuery,                          kOk, 1},
        {"64-bit: KEY_WOW64_32KEY asks for the 32-bit view",        true,  View::Program, plain, kQuery | win::KEY_WOW64_32KEY,   kOk, 1},
        {"64-bit: KEY_WOW64_64KEY reaches the native view",         true,  View::Program, plain, kQuery | win::KEY_WOW64_64KEY,   kOk, 2},
        {"64-bit: native Wow6432Node holds the 32-bit view",        true,  View::Program, node,  kQuery | win::KEY_WOW64_64KEY,   kOk, 1},
        {"64-bit: a native-only value is not in the 32-bit view",   true,  View::Native,  plain, kQuery,                          kOk, 2},
        {"64-bit: both flags: the native view (as Wine)",           true,  View::Program, plain, kQuery | win::KEY_WOW64_64KEY | win::KEY_WOW64_32KEY, kOk, 2},
        {"access 0 opens; reading the value is denied",             false, View::Program, plain, 0,                               kOk, kDenied},
        {"KEY_ENUMERATE_SUB_KEYS alone may not read values",        false, View::Program, plain, win::KEY_ENUMERATE_SUB_KEYS,     kOk, kDenied},
        {"KEY_READ includes KEY_QUERY_VALUE",                       false, View::Program, plain, win::KEY_READ,                   kOk, 1},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.registry.SetWow64(c.is64);
        machine.registry.SetValue(plain, "Mark", Dword(1), c.written);
        if (c.is64)
            machine.registry.SetValue(plain, "Mark", Dword(2),
                                      c.written == View::Program ? View::Native : View::Program);
        const auto [open, read] = OpenAndRead(machine, c.opened, c.access);
        EXPECT_EQ(open, c.openStatus) << c.rule;
        if (open == win::ERROR_SUCCESS)
            EXPECT_EQ(read, c.read) << c.rule;
        EXPECT_EQ(machine.registry.OpenKeyCount(), 0u) << c.rule;
    }
    // The native-only row: the 32-bit program does not see the native value at all.
    SimulatedMachine machine;
    machine.registry.SetWow64(true);
    machine.registry.SetValue(plain, "Mark", Dword(1), View::Native);
    EXPECT_EQ(OpenAndRead(machine, plain, kQuery).first, static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenAndRead(machine, plain, kQuery | win::KEY_WOW64_64KEY).second, 1);
}

// --- 2. and 3. Path limits and path rules ---------------------------------------

TEST(WindowsRules, FileLookUpsNormaliseThePath)
{
    // What the system opens for a path (Win32 path normalisation).
    struct Case {
        const char* rule;
        const char* path;
        bool found; // C:\media\Tool.exe is what it names
    };
    const Case cases[] = {
        // rule                                                    path                                  found
        {"\"..\" takes the part before it away, existing or not",  "C:\\media\\none\\..\\Tool.exe",       true},
        {"\".\" parts go",                                         "C:\\media\\.\\Tool.exe",              true},
        {"\"/\" stands for \"\\\"",                                "C:/media/Tool.exe",                   true},
        {"runs of separators are one",                             "C:\\media\\\\Tool.exe",               true},
        {"the last part loses trailing dots and blanks",           "C:\\media\\Tool.exe. . ",             true},
        {"another part loses one trailing dot",                    "C:\\media.\\Tool.exe",                true},
        {"another part keeps a trailing blank",                    "C:\\media \\Tool.exe",                false},
        {"three dots are a name",                                  "C:\\media\\...\\Tool.exe",            false},
        {"\"..\" never leaves the root",                           "C:\\..\\..\\media\\Tool.exe",         true},
        {"letter case does not count",                             "c:\\MEDIA\\tool.EXE",                 true},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.files.AddFile("C:\\media\\Tool.exe", Program());
        std::string commandLine = std::string(c.path) + " 0";
        win::PROCESS_INFORMATION info = {};
        const win::BOOL started = machine.CreateProcessA(c.path, commandLine.data(), win::FALSE, 0, &info);
        EXPECT_EQ(started != 0, c.found) << c.rule;
        if (started) {
            // The child's own path is the normalised one.
            EXPECT_EQ(machine.trace.OfKind("create_process")[0]["module"], c.found && c.path[0] == 'c'
                                                                              ? "c:\\MEDIA\\tool.EXE"
                                                                              : "C:\\media\\Tool.exe")
                << c.rule;
            machine.CloseHandle(info.hProcess);
            machine.CloseHandle(info.hThread);
        }
        EXPECT_EQ(machine.files.Find(c.path) != nullptr, c.found) << c.rule;
    }
}

TEST(WindowsRules, PathsOfMaxPathCharactersReachNoFile)
{
    // Application names and profile paths of MAX_PATH (260) characters or
    // more fail: CreateProcess with ERROR_PATH_NOT_FOUND (Wine: ERROR_INVALID_NAME),
    // a profile read gives the default (last error ERROR_PATH_NOT_FOUND; Wine:
    // ERROR_INVALID_NAME). A long text that normalises below the limit is fine.
    struct Case {
        const char* rule;
        std::string folder; // the file is <folder>\x.exe and <folder>\x.ini
        bool reached;
    };
    const std::string folder254 = "C:\\" + std::string(251, 'f'); // + "\x.exe" = 260
    const Case cases[] = {
        // rule                                     folder                                   reached
        {"259 characters",                          "C:\\" + std::string(250, 'f'),          true},
        {"260 characters",                          folder254,                               false},
        {"300 characters",                          "C:\\" + std::string(291, 'f'),          false},
        {"a long text with a short full path",      "C:\\a" + std::string(1, '\\') + std::string(120, 'x') + "\\..\\" + std::string(140, 'y') + "\\..", true},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.files.AddFile(c.folder + "\\x.exe", Program());
        SimFile ini;
        ini.text = "[Const]\nKey=found\n";
        machine.files.AddFile(c.folder + "\\x.ini", ini);
        std::string program = c.folder + "\\x.exe";
        win::PROCESS_INFORMATION info = {};
        const win::BOOL started = machine.CreateProcessA(program.c_str(), program.data(), win::FALSE, 0, &info);
        EXPECT_EQ(started != 0, c.reached) << c.rule;
        if (!started)
            EXPECT_EQ(machine.GetLastError(), win::ERROR_PATH_NOT_FOUND) << c.rule;
        char value[16];
        const std::string iniPath = c.folder + "\\x.ini";
        machine.GetPrivateProfileStringA("Const", "Key", "dflt", value, sizeof value, iniPath.c_str());
        EXPECT_STREQ(value, c.reached ? "found" : "dflt") << c.rule;
    }
}

TEST(WindowsRules, RegistryAndProfileNamesAreNotPaths)
{
    // Registry key and value names and profile section and key names
    // compare without letter case, but "/" is an ordinary character and no
    // separator is dropped from a value or profile name. One trailing "\"
    // of a key path names the same key, as Windows (and Wine) take it.
    struct Case {
        const char* rule;
        const char* key;
        const char* value;
        bool found;
    };
    const Case cases[] = {
        // rule                                        key                           value        found
        {"letter case does not count",                 "software\\VENDOR\\Tool",      "MARK",      true},
        {"\"/\" is no separator in a key path",        "SOFTWARE/Vendor/Tool",        "Mark",      false},
        {"a key path's trailing \"\\\" is the same key", "SOFTWARE\\Vendor\\Tool\\",  "Mark",      true},
        {"a value name is taken whole",                "SOFTWARE\\Vendor\\Tool",      "Mark\\",    false},
        {"\"/\" in a value name is its own character", "SOFTWARE\\Vendor\\Tool",      "A/B",       true},
        {"... and is not \"\\\"",                      "SOFTWARE\\Vendor\\Tool",      "A\\B",      false},
        {"a leading \"\\\" is a bad path name",         "\\SOFTWARE\\Vendor\\Tool",    "Mark",      false},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.registry.SetValue("SOFTWARE\\Vendor\\Tool", "Mark", Dword(1));
        machine.registry.SetValue("SOFTWARE\\Vendor\\Tool", "A/B", Dword(1));
        const auto [open, read] = OpenAndRead(machine, c.key, win::KEY_QUERY_VALUE, c.value);
        EXPECT_EQ(open == win::ERROR_SUCCESS && read == 1, c.found) << c.rule;
        if (c.key[0] == '\\')
            EXPECT_EQ(open, static_cast<win::LONG>(win::ERROR_BAD_PATHNAME)) << c.rule;
    }

    const char* ini = "[Paths/A]\nKey\\=back\nKey/=slash\n[Paths\\A]\nKey=other section\n";
    struct ProfileCase {
        const char* rule;
        const char* section;
        const char* key;
        const char* value; // null: absent
    };
    const ProfileCase profileCases[] = {
        // rule                                         section      key       value
        {"section names keep their \"/\"",              "paths/a",   "KEY/",   "slash"},
        {"\"/\" and \"\\\" are different characters",   "Paths\\A",  "Key",    "other section"},
        {"a trailing \"\\\" of a key name counts",      "Paths/A",   "Key\\",  "back"},
        {"... so the name without it is another key",   "Paths/A",   "Key",    nullptr},
    };
    for (const ProfileCase& c : profileCases) {
        const auto value = FindProfileValue(ini, c.section, c.key);
        if (c.value == nullptr)
            EXPECT_FALSE(value.has_value()) << c.rule;
        else
            EXPECT_EQ(value.value_or("<absent>"), c.value) << c.rule;
    }
}

// --- 4. The ANSI code page ------------------------------------------------------

TEST(WindowsRules, CodePagesScanByCharacters)
{
    // IsDBCSLeadByte of each page, and letter case: ASCII letters fold, a
    // trail byte of a double-byte character never does (in 932 "ア" is
    // 83 41, whose trail byte is "A").
    struct Case {
        const char* rule;
        unsigned codePage;
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        // rule                                          page  a                        b                        same
        {"1252: ASCII letters fold",                     1252, "SETUP.EXE",             "setup.exe",             true},
        {"1252: accented capitals fold too",             1252, "\xC9T\xC9",             "\xE9t\xE9",             true},
        {"932: a trail byte \"A\" is not \"a\"",          932, "\x83\x41",              "\x83\x61",              false},
        {"932: ASCII around it still folds",              932, "X\x83\x41Y",            "x\x83\x41y",            true},
        {"950: the trail byte 0x5C stays",                950, "\xB3\x5C.EXE",          "\xB3\x5C.exe",          true},
        {"950: a trail byte \"a\" is not \"A\"",          950, "\xA4\x61",              "\xA4\x41",              false},
        {"936: trail bytes stay",                         936, "\xB0\x41",              "\xB0\x61",              false},
        {"949: trail bytes stay",                         949, "\xB0\x41",              "\xB0\x61",              false},
        {"1252 has no lead bytes: 0xB3 0x41 folds",      1252, "\xB3\x41",              "\xB3\x61",              true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codepage::FoldCase(c.codePage, c.a) == codepage::FoldCase(c.codePage, c.b), c.same)
            << c.rule;

    struct LeadCase {
        unsigned codePage;
        std::uint8_t byte;
        bool lead;
    };
    const LeadCase leads[] = {
        // page byte  lead
        {1252, 0x81, false}, {1252, 0xB3, false},
        {932,  0x81, true},  {932,  0x9F, true},  {932, 0xA0, false}, {932, 0xB3, false},
        {932,  0xE0, true},  {932,  0xFC, true},  {932, 0xFD, false},
        {936,  0x80, false}, {936,  0x81, true},  {936, 0xFE, true},  {936, 0xFF, false},
        {949,  0x81, true},  {950,  0xB3, true},  {950, 0x5C, false}, {950, 0xFF, false},
    };
    for (const LeadCase& c : leads) {
        SimulatedMachine machine;
        machine.SetCodePage(c.codePage);
        EXPECT_EQ(machine.IsDBCSLeadByte(c.byte) != 0, c.lead) << c.codePage << " " << int(c.byte);
    }
}

TEST(WindowsRules, TheLauncherFindsItsFolderAndExtensionsByCharacters)
{
    // A program renamed with a character whose second byte is 0x5C keeps its
    // folder; an extension rule never starts inside a character.
    struct Case {
        const char* rule;
        unsigned codePage;
        bool utf8;               // the texts are UTF-8, else bytes of the page
        const char* program;
        const char* installer;
    };
    const Case cases[] = {
        // rule                                        page utf8   program                                  installer
        {"950: \xE8\xA8\xB1 (B3 5C) ends the name",   950, true,  "C:\\media\\\xE8\xA8\xB1.exe",               "C:\\media\\XP_x86\\SetupDrv.exe"},
        {"950: a name without a 5C byte",               950, true,  "C:\\media\\\xE5\xAE\x89\xE8\xA3\x9D\xE7\xA8\x8B\xE5\xBC\x8F.exe", "C:\\media\\XP_x86\\SetupDrv.exe"},
        {"932: \xE8\xA1\xA8 (95 5C) in the name",     932, true,  "C:\\media\\\xE8\xA1\xA8.exe",               "C:\\media\\XP_x86\\SetupDrv.exe"},
        {"936: B0 5C in the name",                      936, false, "C:\\media\\\xB0\x5C.exe",                   "C:\\media\\XP_x86\\SetupDrv.exe"},
        {"950: the folder's own name ends in 5C",       950, true,  "C:\\\xE8\xA8\xB1\\Setup.exe",               "C:\\\xE8\xA8\xB1\\XP_x86\\SetupDrv.exe"},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.SetCodePage(c.codePage);
        const auto bytes = [&](const char* text) {
            return c.utf8 ? codepage::FromUtf8(c.codePage, text).value() : std::string(text);
        };
        machine.SetProgramPath(bytes(c.program));
        machine.files.AddFile(bytes(c.installer), Program());
        CLauncherApp launcher(machine);
        launcher.InitInstance();
        const auto started = machine.trace.OfKind("create_process");
        ASSERT_EQ(started.size(), 1u) << c.rule;
        EXPECT_EQ(started[0]["result"], true) << c.rule;
        // The trace holds UTF-8.
        EXPECT_EQ(started[0]["command_line"], codepage::ToUtf8(c.codePage, bytes(c.installer))) << c.rule;
    }

    struct ExtensionCase {
        unsigned codePage;
        const char* text;
        int isUpdate;
    };
    const ExtensionCase extensions[] = {
        // page text                    .msu
        {950,  "KB\xB3\x5C.msu",         1},
        {1252, "KB.msu",                 1},
        {932,  "KB\x83\x41.msu",         1},
        // A lead byte takes the byte after it as its second byte, as
        // IsDBCSLeadByte scanning does: the 0x2E after 0xA4 is no ".".
        {950,  "KB.msu\xA4\x2E" "msu",   0},
        {1252, "KB.msu\xA4\x2E" "msu",   1},
    };
    for (const ExtensionCase& c : extensions) {
        SimulatedMachine machine;
        machine.SetCodePage(c.codePage);
        CLauncherApp launcher(machine);
        EXPECT_EQ(launcher.HasExtension(c.text, '.', ".msu"), c.isUpdate) << c.codePage << " " << c.text;
    }
}

// --- 5. What Windows reports to this program ---------------------------------------

TEST(WindowsRules, NamedSystemsReportWhatARealOneReports)
{
    // GetVersionExA for a program whose manifest names no supported systems:
    // 8.1, 10 and 11 answer 6.2 build 9200, as 8 does. 64-bit systems have
    // "ProgramFilesDir (x86)" and two registry views.
    struct Case {
        const char* name;
        int bits;
        win::DWORD major, minor, build;
        const char* servicePack;
        int nt6, vistaSP1, win7, is64;
    };
    const Case cases[] = {
        // name        bits major minor build  service pack      NT6 SP1 W7 64
        {"XP",          32, 5, 1, 2600, "Service Pack 3",        0, 0, 0, 0},
        {"XP x64",      64, 5, 2, 3790, "Service Pack 2",        0, 0, 0, 1},
        {"Vista",       32, 6, 0, 6000, "",                      1, 0, 0, 0},
        {"Vista SP1",   64, 6, 0, 6001, "Service Pack 1",        1, 1, 0, 1},
        {"Vista SP2",   32, 6, 0, 6002, "Service Pack 2",        1, 0, 0, 0},
        {"7",           64, 6, 1, 7600, "",                      1, 0, 1, 1},
        {"7 SP1",       32, 6, 1, 7601, "Service Pack 1",        1, 1, 1, 0},
        {"8",           64, 6, 2, 9200, "",                      1, 0, 0, 1},
        {"8.1",         32, 6, 2, 9200, "",                      1, 0, 0, 0},
        {"10",          64, 6, 2, 9200, "",                      1, 0, 0, 1},
        {"11",          64, 6, 2, 9200, "",                      1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        ASSERT_TRUE(ApplyNamedSystem(c.name, c.bits, machine)) << c.name;
        win::OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(machine.GetVersionExA(&info)) << c.name;
        EXPECT_EQ(info.dwPlatformId, win::VER_PLATFORM_WIN32_NT) << c.name;
        EXPECT_EQ(info.dwMajorVersion, c.major) << c.name;
        EXPECT_EQ(info.dwMinorVersion, c.minor) << c.name;
        EXPECT_EQ(info.dwBuildNumber, c.build) << c.name;
        EXPECT_STREQ(info.szCSDVersion, c.servicePack) << c.name;
        EXPECT_EQ(DetectWinNT6(machine), c.nt6) << c.name;
        EXPECT_EQ(DetectVistaSP1(machine), c.vistaSP1) << c.name;
        EXPECT_EQ(DetectWin7(machine), c.win7) << c.name;
        EXPECT_EQ(Detect64BitOS(machine), c.is64) << c.name;
        EXPECT_EQ(machine.registry.Wow64(), c.is64 == 1) << c.name;
    }
    // Systems that do not come in a bitness, and names that are no system.
    SimulatedMachine machine;
    EXPECT_FALSE(ApplyNamedSystem("XP", 64, machine));
    EXPECT_FALSE(ApplyNamedSystem("XP x64", 32, machine));
    EXPECT_FALSE(ApplyNamedSystem("11", 32, machine));
    EXPECT_FALSE(ApplyNamedSystem("7", 16, machine));
    EXPECT_FALSE(ApplyNamedSystem("Windows 7", 32, machine));
    EXPECT_EQ(NamedSystemNames().size(), NamedSystems().size());
    EXPECT_EQ(NamedSystemNames().front(), "XP");
}

TEST(WindowsRules, NamedSystemsKeepTheNativeProgramFolderApart)
{
    // A 32-bit program reads "C:\Program Files (x86)" as ProgramFilesDir on
    // 64-bit Windows; the native view says "C:\Program Files".
    SimulatedMachine machine;
    ASSERT_TRUE(ApplyNamedSystem("7 SP1", 64, machine));
    const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    for (const auto& [access, expected] :
         {std::pair<win::DWORD, const char*>{win::KEY_QUERY_VALUE, "C:\\Program Files (x86)"},
          {win::KEY_QUERY_VALUE | win::KEY_WOW64_64KEY, "C:\\Program Files"}}) {
        win::HKEY handle = nullptr;
        ASSERT_EQ(machine.RegOpenKeyExA(key, 0, access, &handle), win::ERROR_SUCCESS);
        char text[64] = {};
        win::DWORD size = sizeof text;
        EXPECT_EQ(machine.RegQueryValueExA(handle, "ProgramFilesDir", nullptr,
                                           reinterpret_cast<win::BYTE*>(text), &size),
                  win::ERROR_SUCCESS);
        EXPECT_STREQ(text, expected) << access;
        machine.RegCloseKey(handle);
    }
}

TEST(WindowsRules, ShellOpensReportAProgramThatFailsToStart)
{
    // ShellExecuteA returns the start error when it is below 32 (file or
    // path not found, access denied), SE_ERR_ACCESSDENIED for a cancelled
    // elevation, and ERROR_BAD_FORMAT (11) for any other failure, such as
    // a file that is no program (Wine answers the same, but for the
    // cancelled elevation, which it cannot show).
    struct Case {
        const char* rule;
        const char* file;
        win::INT_PTR result;
    };
    const Case cases[] = {
        // rule                                          file                  result
        {"the program starts",                           "D:\\Run.exe",        42},
        {"no program: a bad executable",                 "D:\\Data.exe",       static_cast<win::INT_PTR>(win::ERROR_BAD_FORMAT)},
        {"refused with access denied",                   "D:\\Denied.exe",     win::SE_ERR_ACCESSDENIED},
        {"refused with a code above 32",                 "D:\\Bad.exe",        static_cast<win::INT_PTR>(win::ERROR_BAD_FORMAT)},
        {"elevation cancelled",                          "D:\\Cancel.exe",     win::SE_ERR_ACCESSDENIED},
        {"handler starts",                               "D:\\KB1.msu",        33},
        {"handler missing",                              "D:\\KB1.cab",        win::SE_ERR_FNF},
        {"handler no program",                           "D:\\KB1.xyz",        static_cast<win::INT_PTR>(win::ERROR_BAD_FORMAT)},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        machine.files.AddFile("D:\\Run.exe", Program());
        machine.files.AddFile("D:\\Data.exe", SimFile{});
        machine.files.AddFile("D:\\Denied.exe", Program(win::ERROR_ACCESS_DENIED));
        machine.files.AddFile("D:\\Bad.exe", Program(win::ERROR_BAD_EXE_FORMAT));
        machine.files.AddFile("D:\\Cancel.exe", Program(win::ERROR_CANCELLED));
        for (const char* package : {"D:\\KB1.msu", "D:\\KB1.cab", "D:\\KB1.xyz"})
            machine.files.AddFile(package, SimFile{});
        machine.files.AddFile("C:\\Tools\\Open.exe", Program());
        machine.files.AddFile("C:\\Tools\\Text.exe", SimFile{});
        machine.shell.AssociateHandler(".msu", "C:\\Tools\\Open.exe", 33);
        machine.shell.AssociateHandler(".cab", "C:\\Tools\\Gone.exe", 33);
        machine.shell.AssociateHandler(".xyz", "C:\\Tools\\Text.exe", 33);
        EXPECT_EQ(machine.ShellExecuteA(nullptr, "open", c.file, nullptr, nullptr, win::SW_SHOW), c.result)
            << c.rule;
    }
}

// --- 6. Scenario errors ---------------------------------------------------------------

TEST(WindowsRules, MalformedScenariosAreRefusedWithTheKeyAndItsPlace)
{
    struct Case {
        const char* scenario;
        const char* message; // a part of the error
    };
    const Case cases[] = {
        // scenario                                                                         message
        {R"({"wow46": true})",                                                              "wow46: unknown key"},
        {R"({"version": {"major": 6, "minr": 1}})",                                         "version.minr: unknown key"},
        {R"({"version": {"major": "six"}})",                                                "version.major: must be a whole number"},
        {R"({"version": {"major": -1}})",                                                   "version.major: must be a whole number"},
        {R"({"wow64": 1})",                                                                 "wow64: must be true or false"},
        {R"({"program": 5})",                                                               "program: must be a string"},
        {R"({"registry": {"K": {"V": {"type": "REG_DWORD", "data": "abc"}}}})",              "registry[\"K\"][\"V\"].data: must be a whole number"},
        {R"({"registry": {"K": {"V": {"type": "REG_DWORD", "data": 4294967296}}}})",         "registry[\"K\"][\"V\"].data"},
        {R"({"registry": {"K": {"V": {"type": "REG_SZ", "data": 7}}}})",                     "registry[\"K\"][\"V\"].data: must be a string"},
        {R"({"registry": {"K": {"V": {"type": "REG_BINARY", "data": "0102"}}}})",            "holds raw bytes"},
        {R"({"registry": {"K": {"V": {"type": "REG_MULTI_SZ", "data": "a"}}}})",             "must be a list of strings"},
        {R"({"registry": {"K": {"V": {"type": "REG_WHAT", "data": 1}}}})",                   "unknown registry type REG_WHAT"},
        {R"({"registry": {"K": {"V": {"type": "REG_BINARY", "hex": "123"}}}})",              "odd length"},
        {R"({"registry": {"K": {"V": {"type": "REG_BINARY", "hex": "zz"}}}})",               "not hex digits"},
        {R"({"registry": {"K": {"V": {"type": "REG_DWORD", "data": 1, "hex": "01"}}}})",     "exactly one of"},
        {R"({"registry": {"K": {"V": {"type": "REG_DWORD", "dat": 1}}}})",                   "registry[\"K\"][\"V\"].dat: unknown key"},
        {R"({"registry": {"K": {"V": {"data": 1}}}})",                                       "registry[\"K\"][\"V\"].type: missing"},
        {R"({"registry": {"K": 1}})",                                                        "registry[\"K\"]: must be an object"},
        {R"({"registry_native": {"K": {}}})",                                                "registry_native: a 32-bit machine has one registry view"},
        {R"({"files": {"D:\\S.ini": {"txt": "x"}}})",                                        "files[\"D:\\\\S.ini\"].txt: unknown key"},
        {R"({"files": {"D:\\S.ini": {"text_file": "no/such/file.ini"}}})",                   "files[\"D:\\\\S.ini\"].text_file: cannot read"},
        {R"({"files": {"D:\\A.exe": {"program": {"exit": 1}}}})",                            "program.exit: unknown key"},
        {R"({"shell": {".msu": "yes"}})",                                                    "shell[\".msu\"]: must be an object"},
        {R"({"shell": {".msu": {"handler": "C:\\H.exe", "result": 2}}})",                   "above 32"},
        {R"({"answers": [1, "OK"]})",                                                        "answers[1]: must be a whole number"},
        {R"({"code_page": 437})",                                                            "code_page: code page 437 is not one of"},
        {R"({"program": "C:\\\u8a31.exe"})",                                                 "program: \"C:\\\\\u8a31.exe\" has characters that code page 1252 cannot hold"},
        {R"({"system": {"name": "Windows 7"}})",                                             "system.name: unknown system \"Windows 7\""},
        {R"({"system": {"name": "XP", "bits": 64}})",                                        "system.bits: XP does not come in 64 bits"},
        {R"({"system": {"name": "7", "bit": 64}})",                                          "system.bit: unknown key"},
        {R"([1, 2])",                                                                        "scenario: must be an object"},
    };
    for (const Case& c : cases) {
        SimulatedMachine machine;
        std::string error;
        EXPECT_FALSE(LoadScenario(nlohmann::json::parse(c.scenario), ".", machine, error)) << c.scenario;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.scenario << "\n  gave: " << error;
    }

    // What is well formed loads: raw bytes of any length for any type, the
    // named system with the raw record over it, the native view of a
    // 64-bit machine, texts in the machine's code page.
    const auto good = nlohmann::json::parse(R"({
        "code_page": 950,
        "system": {"name": "7", "bits": 64},
        "version": {"build": 7777},
        "program": "C:\\\u8a31\\Setup.exe",
        "registry": {"SOFTWARE\\Test": {"Five": {"type": "REG_DWORD", "hex": "0102030405"},
                                         "List": {"type": "REG_MULTI_SZ", "data": ["a", "b"]},
                                         "Big": {"type": "REG_QWORD", "data": 4294967296}}},
        "registry_native": {"SOFTWARE\\Test": {"Native": {"type": "REG_DWORD", "data": 9}}},
        "shell": {".msu": {"handler": "C:\\H.exe"}}
    })");
    SimulatedMachine machine;
    std::string error;
    ASSERT_TRUE(LoadScenario(good, ".", machine, error)) << error;
    EXPECT_EQ(machine.version.major, 6u);
    EXPECT_EQ(machine.version.build, 7777u);
    EXPECT_EQ(machine.ProgramPath(), "C:\\\xB3\x5C\\Setup.exe");
    win::HKEY key = nullptr;
    ASSERT_EQ(machine.RegOpenKeyExA("SOFTWARE\\Test", 0, win::KEY_QUERY_VALUE, &key), win::ERROR_SUCCESS);
    win::DWORD size = 0;
    EXPECT_EQ(machine.RegQueryValueExA(key, "Five", nullptr, nullptr, &size), win::ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(machine.RegQueryValueExA(key, "List", nullptr, nullptr, &size), win::ERROR_SUCCESS);
    EXPECT_EQ(size, 5u); // "a\0b\0\0"
    EXPECT_EQ(machine.RegQueryValueExA(key, "Big", nullptr, nullptr, &size), win::ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(machine.RegQueryValueExA(key, "Native", nullptr, nullptr, &size),
              static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND));
    machine.RegCloseKey(key);
}

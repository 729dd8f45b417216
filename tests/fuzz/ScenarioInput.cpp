#include "tests/fuzz/ScenarioInput.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinConstants.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using Decoder = void (*)(FuzzedDataProvider&, SimulatedMachine&, ScenarioFacts&);
using Check = void (*)(const SimulatedMachine&, const CLauncherApp&, const ScenarioFacts&);

// One of `choices`, or now and then a text of the input's own.
template <std::size_t N>
std::string PickText(FuzzedDataProvider& input, const char* const (&choices)[N], std::size_t maxLength)
{
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        return input.ConsumeRandomLengthString(maxLength);
    return input.PickValueInArray(choices);
}

template <typename T, std::size_t N> T PickNumber(FuzzedDataProvider& input, const T (&choices)[N])
{
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        return input.ConsumeIntegral<T>();
    return input.PickValueInArray(choices);
}

std::string FolderOf(const std::string& path)
{
    const auto at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

// --- Decoders: one part of the machine each, in the order they run ---------

void DecodeVersion(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    static const win::DWORD platforms[] = {2, 2, 2, 1, 0};
    static const win::DWORD majors[] = {5, 6, 6, 10, 4};
    static const win::DWORD minors[] = {0, 1, 2};
    static const char* const servicePacks[] = {"Service Pack 1", "Service Pack 2", "Service Pack 3",
                                               "", "service pack 1", "Service Pack 1a"};
    machine.version.platformId = PickNumber(input, platforms);
    machine.version.major = PickNumber(input, majors);
    machine.version.minor = PickNumber(input, minors);
    machine.version.build = input.ConsumeIntegral<win::DWORD>();
    machine.version.servicePack = PickText(input, servicePacks, 200);
    machine.version.available = input.ConsumeIntegralInRange(0, 15) != 0;
}

void DecodeProgram(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    static const char* const paths[] = {
        "D:\\Setup.exe", "C:\\Driver Setup\\Setup.exe", "D:\\S.exe", "Setup.exe",
        "\\\\server\\share\\Setup.exe", "D:/media/Setup.exe", "D:\\a b\\c d\\Setup (1).exe"};
    std::string path = PickText(input, paths, 600);
    switch (input.ConsumeIntegralInRange(0, 15)) {
    case 0: path = "D:\\" + std::string(287, 'f') + "\\Setup.exe"; break; // 300 characters
    case 1: path = "D:\\" + std::string(500, 'f') + "\\Setup.exe"; break; // beyond the buffer
    default: break;
    }
    // The program's own file exists, with its folders.
    if (!FolderOf(path).empty()) {
        SimFile self;
        self.isProgram = true;
        machine.files.AddFile(path, self);
    }
    machine.SetProgramPath(path);
    facts.programPath = path;
    if (path.size() < CLauncherApp::kPathSize && path.find_first_of("\\/") != std::string::npos)
        facts.programFolder = FolderOf(path);
}

void DecodeCommandLine(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    static const char* const arguments[] = {"", " silence", " SILENCE", " /silence", " foo silence",
                                            " silenced", " \"silence\""};
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        machine.SetCommandLine(input.ConsumeRandomLengthString(1000));
    else
        machine.SetCommandLine("\"" + facts.programPath + "\"" + input.PickValueInArray(arguments));
}

void DecodeSettings(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    static const char* const keys[] = {
        "DeviceIDNum", "DevDrvID", "DeviceIDSection", "SetupVistax64Path", "SetupVistax64Exe",
        "SetupVistax86Path", "SetupVistax86Exe", "SetupXPx64Path", "SetupXPx64Exe", "SetupXPx86Path",
        "SetupXPx86Exe", "SilenceMode", "EnableAudioClass", "EnableXPAudioClass", "DelAudioRegKey",
        "DelAudioRegKeyMessage", "EnableAudioVol", "EnableTimer", "WaitTimer", "CheckFinishInstall",
        "AnotherAPNum", "HotfixSilenceMode", "AnotherAPVistax64Exe", "AnotherAPVistax86Exe",
        "AnotherAPXPx64Exe", "AnotherAPXPx86Exe", "Setup", "NoSetupPath", "RePlugin", "HotfixReBoot",
        "LaunchAnotherAPParam", "MustRePlugin", "HotfixMustRebootMessage"};
    static const char* const values[] = {
        "", "0", "1", "3", "5", "10", "-1", "2147483647", "-2147483648", "4294967297", "abc",
        "Tool.exe", "Tool.exe /S", "Tool", "Two Words.exe", "KB100.msu", "KB100.MSU", "a.msu.bak",
        "SetupDrv.exe /q", "SetupDrv", "Sub Dir\\Two Words.exe", "..\\..\\x.exe", "C:\\Windows\\x.exe",
        "My Drivers", "/quiet", "\"quoted\""};
    const int mode = input.ConsumeIntegralInRange(0, 4);
    if (mode == 0)
        return; // no settings file
    std::string text;
    if (mode == 1) {
        text = input.ConsumeRandomLengthString(4096);
    } else {
        const int lines = input.ConsumeIntegralInRange(0, 48);
        for (int i = 0; i < lines; ++i) {
            switch (input.ConsumeIntegralInRange(0, 15)) {
            case 0: text += "[Const]\r\n"; continue;
            case 1: text += "[Other]\r\n"; continue;
            default: break;
            }
            std::string key = input.PickValueInArray(keys);
            if (input.ConsumeBool())
                key += std::to_string(input.ConsumeIntegralInRange(-1, 11));
            std::string value = PickText(input, values, 300);
            switch (input.ConsumeIntegralInRange(0, 15)) {
            case 0: value = std::string(255, 'v'); break;
            case 1: value = std::string(256, 'v'); break;
            case 2: value += std::string(300, ' ') + "tail"; break;
            default: break;
            }
            text += key + "=" + value + "\r\n";
        }
        if (mode != 4)
            text = "[Const]\r\n" + text;
    }
    SimFile file;
    file.text = text;
    machine.files.AddFile(FolderOf(facts.programPath) + "\\Setting.ini", file);
}

void DecodeRegistry(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    static const char* const keys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                       "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"};
    static const char* const names[] = {"ProgramFilesDir (x86)", "FinishInstall"};
    static const win::DWORD types[] = {win::REG_SZ, win::REG_DWORD, win::REG_BINARY, win::REG_QWORD,
                                       win::REG_MULTI_SZ, win::REG_EXPAND_SZ, win::REG_NONE};
    machine.registry.SetWow64(input.ConsumeBool());
    const int count = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < count; ++i) {
        const std::string key = PickText(input, keys, 100);
        const std::string name = PickText(input, names, 100);
        RegistryValue value;
        value.type = PickNumber(input, types);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const std::string text = "C:\\Program Files (x86)";
            value.data.assign(text.begin(), text.end());
            if (input.ConsumeBool())
                value.data.push_back(0);
            break;
        }
        case 1: {
            const std::uint32_t number = input.ConsumeIntegralInRange<std::uint32_t>(0, 2);
            for (int b = 0; b < 4; ++b)
                value.data.push_back(static_cast<std::uint8_t>(number >> (8 * b)));
            break;
        }
        default:
            value.data = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 1024));
            break;
        }
        machine.registry.SetValue(key, name, value);
    }
}

void DecodeFiles(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    static const char* const names[] = {
        "XP_x86\\SetupDrv.exe", "XP_x64\\SetupDrv.exe", "Vista_x86\\SetupDrv.exe",
        "Vista_x64\\SetupDrv.exe", "Tool.exe", "Tool", "Two.exe", "Two Words.exe", "KB100.msu",
        "KB100.MSU", "Sub.exe", "Sub Dir\\Two Words.exe", "My.exe", "My Drivers\\SetupDrv.exe"};
    static const char* const roots[] = {"C:", "D:", "C:\\Driver", "\\\\server"};
    static const std::uint32_t errors[] = {0, 0, 0, win::ERROR_FILE_NOT_FOUND, win::ERROR_ACCESS_DENIED,
                                           win::ERROR_BAD_EXE_FORMAT, win::ERROR_ELEVATION_REQUIRED};
    const std::string folder = FolderOf(facts.programPath);
    const int count = input.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < count; ++i) {
        const std::string base = input.ConsumeIntegralInRange(0, 3) == 0 ? input.PickValueInArray(roots) : folder;
        const std::string path = base + "\\" + PickText(input, names, 300);
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: machine.files.AddFolder(path); break;
        case 1: machine.files.AddFile(path, SimFile{}); break;
        default: {
            SimFile program;
            program.isProgram = true;
            program.program.startError = PickNumber(input, errors);
            program.program.exitCode = input.ConsumeIntegral<std::uint32_t>();
            machine.files.AddFile(path, program);
            break;
        }
        }
    }
}

void DecodeShell(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    static const char* const extensions[] = {".msu", ".MSU", ".exe", ".bak"};
    static const win::INT_PTR results[] = {2, 3, 5, 8, 26, 27, 28, 29, 30, 31, 32, 33, 42};
    const int count = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < count; ++i)
        machine.shell.Associate(PickText(input, extensions, 20), PickNumber(input, results));
}

void DecodeAnswers(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    const int count = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < count; ++i)
        machine.user.QueueAnswer(input.ConsumeIntegral<int>());
}

// Every part of the machine that input can reach. A subsystem adds its own here.
const Decoder kDecoders[] = {
    DecodeVersion, DecodeProgram, DecodeCommandLine, DecodeSettings,
    DecodeRegistry, DecodeFiles, DecodeShell, DecodeAnswers,
};

// --- Checks: the promises of a run ------------------------------------------

std::string TextOf(const nlohmann::json& value) { return value.is_string() ? value.get<std::string>() : "<null>"; }

void NothingIsLeftOpen(const SimulatedMachine& machine, const CLauncherApp&, const ScenarioFacts&)
{
    FUZZ_CHECK(machine.processes.OpenHandleCount() == 0, "process handles left open");
    FUZZ_CHECK(machine.registry.OpenKeyCount() == 0, "registry keys left open");
}

bool IsBehindTheFolder(const std::string& path, const ScenarioFacts& facts)
{
    if (!facts.programFolder)
        return false;
    const std::string prefix = *facts.programFolder + "\\";
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

// Every child is named explicitly, behind the program folder, and is the
// command line's own start: the text up to a blank or its end, ".exe" added
// only where that text had no extension.
void ChildrenAreTheCommandsOwnPrograms(const SimulatedMachine& machine, const CLauncherApp&,
                                       const ScenarioFacts& facts)
{
    for (const auto& effect : machine.trace.OfKind("create_process")) {
        const std::string application = TextOf(effect["application"]);
        const std::string command = TextOf(effect["command_line"]);
        FUZZ_CHECK(effect["application"].is_string(), "a child without a program name: %s", command.c_str());
        FUZZ_CHECK(IsBehindTheFolder(application, facts), "%s is not behind the program folder", application.c_str());
        FUZZ_CHECK(command.size() < CLauncherApp::kPathSize, "a command line of %zu characters", command.size());
        const auto startsWith = [&](const std::string& head) {
            return command.compare(0, head.size(), head) == 0 &&
                   (command.size() == head.size() || command[head.size()] == ' ' || command[head.size()] == '\t');
        };
        bool own = startsWith(application);
        const std::string added = ".exe";
        if (!own && application.size() > added.size() &&
            application.compare(application.size() - added.size(), added.size(), added) == 0) {
            const std::string stem = application.substr(0, application.size() - added.size());
            const auto name = stem.find_last_of("\\/");
            own = startsWith(stem) && stem.find('.', name == std::string::npos ? 0 : name) == std::string::npos;
        }
        FUZZ_CHECK(own, "program %s does not begin command %s", application.c_str(), command.c_str());
        if (effect["result"] == true)
            FUZZ_CHECK(machine.files.Find(TextOf(effect["module"])) != nullptr, "started a missing file");
    }
}

void ShellOpensAreUpdatePackages(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts& facts)
{
    bool accepted = false;
    for (const auto& effect : machine.trace.OfKind("shell_open")) {
        const std::string file = TextOf(effect["file"]);
        FUZZ_CHECK(IsBehindTheFolder(file, facts), "%s is not behind the program folder", file.c_str());
        FUZZ_CHECK(file.size() > 4 && file.compare(file.size() - 4, 4, ".msu") == 0, "opened %s", file.c_str());
        FUZZ_CHECK(file.size() < CLauncherApp::kPathSize, "a file of %zu characters", file.size());
        accepted = accepted || static_cast<std::int32_t>(effect["result"].get<std::int64_t>()) > 32;
    }
    FUZZ_CHECK(app.HotfixLaunched == (accepted ? 1 : 0), "HotfixLaunched %d", app.HotfixLaunched);
}

void MessagesAreTheRunsOwn(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts&)
{
    const LauncherSettings& s = app.Settings;
    for (const auto& effect : machine.trace.OfKind("message_box")) {
        const std::string text = TextOf(effect["text"]);
        FUZZ_CHECK(text == "CreateProcess failed." || text == s.NoSetupPath || text == s.RePlugin,
                   "message %s", text.c_str());
        FUZZ_CHECK(TextOf(effect["caption"]) == s.Setup, "caption %s", TextOf(effect["caption"]).c_str());
        FUZZ_CHECK(effect["style"] == win::MB_OK, "style");
    }
}

// Every promise of a run. A subsystem adds its own here.
const Check kChecks[] = {
    NothingIsLeftOpen,
    ChildrenAreTheCommandsOwnPrograms,
    ShellOpensAreUpdatePackages,
    MessagesAreTheRunsOwn,
};

} // namespace

void DecodeScenario(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    for (Decoder decode : kDecoders)
        decode(input, machine, facts);
}

void CheckRun(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts& facts)
{
    for (Check check : kChecks)
        check(machine, app, facts);
}

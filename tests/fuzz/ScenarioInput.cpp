#include "tests/fuzz/ScenarioInput.h"

#include <algorithm>
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

// --- The device subsystem: patterns, device nodes, capture devices ---------

// Hardware IDs and patterns are drawn from one pool, so that they meet.
const char* const kHardwareIds[] = {
    "USB\\VID_1B80&PID_E411", "usb\\vid_1b80&pid_e411&rev_0100", "USB\\VID_1B80&PID_E411&MI_01",
    "USB\\VID_1B80", "USB\\", "PCI\\VEN_8086&DEV_1234", "ROOT\\LEGACY", "U", ""};

// Puts `lines` right behind the first "[Const]" line of the settings file,
// or as a section of their own in front when it has none.
void InsertSettings(SimulatedMachine& machine, const ScenarioFacts& facts, const std::string& lines)
{
    const std::string path = FolderOf(facts.programPath) + "\\Setting.ini";
    SimFile file;
    if (const SimFile* existing = machine.files.Find(path))
        file = *existing;
    const auto section = file.text.find("[Const]\r\n");
    if (section == std::string::npos)
        file.text = "[Const]\r\n" + lines + file.text;
    else
        file.text.insert(section + 9, lines);
    machine.files.AddFile(path, file);
}

void DecodeDevicePatterns(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts)
{
    static const char* const counts[] = {"0", "1", "2", "3", "10", "11", "-1", "2147483647", "abc", ""};
    if (input.ConsumeIntegralInRange(0, 3) == 0)
        return; // the patterns as the settings decoder left them
    std::string lines = "DeviceIDNum=" + PickText(input, counts, 20) + "\r\n";
    const int patterns = input.ConsumeIntegralInRange(0, 11);
    for (int i = 0; i < patterns; ++i) {
        // Indexes may skip, repeat or run past the count: missing keys read empty.
        const int index = input.ConsumeIntegralInRange(0, 7) == 0 ? input.ConsumeIntegralInRange(0, 11) : i;
        std::string pattern = PickText(input, kHardwareIds, 300);
        if (input.ConsumeIntegralInRange(0, 3) == 0 && !pattern.empty())
            pattern = pattern.substr(0, input.ConsumeIntegralInRange<std::size_t>(0, pattern.size()));
        lines += "DevDrvID" + std::to_string(index) + "=" + pattern + "\r\n";
    }
    // The switches that lead to removals and register writes.
    for (const char* key : {"DelAudioRegKey", "DelAudioRegKeyMessage", "EnableXPAudioClass", "EnableAudioVol",
                            "EnableAudioClass"}) {
        if (input.ConsumeBool())
            lines += std::string(key) + "=1\r\n";
    }
    InsertSettings(machine, facts, lines);
}

std::vector<std::uint8_t> HardwareIdBytes(FuzzedDataProvider& input)
{
    std::vector<std::uint8_t> bytes;
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0: // bytes of any content and length
        return input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 1024));
    case 1: { // longer than the scan's first buffer
        const std::string id = std::string(input.ConsumeIntegralInRange(200, 700), 'X');
        bytes = MultiString({input.PickValueInArray(kHardwareIds) + id});
        break;
    }
    default: {
        std::vector<std::string> ids;
        const int count = input.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < count; ++i)
            ids.push_back(PickText(input, kHardwareIds, 300));
        bytes = MultiString(ids);
        break;
    }
    }
    // Without the list's terminator, or without any.
    const int cut = input.ConsumeIntegralInRange(0, 5);
    if (cut == 1 && !bytes.empty())
        bytes.pop_back();
    else if (cut == 2)
        while (!bytes.empty() && bytes.back() == 0)
            bytes.pop_back();
    return bytes;
}

void DecodeDeviceTree(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    static const win::DWORD errors[] = {0, 0, 0, 0, 0, 0, win::ERROR_INVALID_DATA,
                                        win::ERROR_INSUFFICIENT_BUFFER, win::ERROR_NO_SUCH_DEVINST,
                                        win::ERROR_ACCESS_DENIED, win::ERROR_INVALID_PARAMETER};
    SimDeviceTree& tree = machine.devices;
    if (input.ConsumeIntegralInRange(0, 15) == 0)
        tree.setError = PickNumber(input, errors);
    const int count = input.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < count; ++i) {
        SimDeviceNode node;
        node.hasHardwareIds = input.ConsumeIntegralInRange(0, 7) != 0;
        if (node.hasHardwareIds)
            node.hardwareIds = HardwareIdBytes(input);
        node.present = input.ConsumeIntegralInRange(0, 3) != 0;
        node.readError = PickNumber(input, errors);
        tree.AddNode(std::move(node));
    }
}

// A register value the audio-class rules look for, or any other.
std::uint8_t RegisterValue(FuzzedDataProvider& input)
{
    static const std::uint8_t values[] = {80, 208, 0, 1, 5, 81, 16};
    return PickNumber(input, values);
}

SimCaptureDevice DecodeCaptureDevice(FuzzedDataProvider& input)
{
    static const char* const names[] = {"USB 6711 Device", "USB 6711 Device 2", "usb 6711 device",
                                        "USB 6704 Device", "USB 6715 Device", "USB 671", "",
                                        "Webcam", "USB 6711 Device \xc3\xa9\xe2\x82\xac"};
    static const win::ULONG ids[] = {4101, 4102, 4103, 4104, 4107, 4115, 4116, 4135, 4136};
    static const int registers[] = {-1, -1, 8, 37, 38, 0};
    SimCaptureDevice device;
    if (input.ConsumeIntegralInRange(0, 7) != 0)
        device.name = PickText(input, names, 300);
    device.propertyBagFails = input.ConsumeIntegralInRange(0, 15) == 0;
    device.bindFails = input.ConsumeIntegralInRange(0, 7) == 0;
    device.refuseInterface = input.ConsumeIntegralInRange(0, 7) == 0;
    SimI2CModel& model = device.model;
    if (input.ConsumeIntegralInRange(0, 7) == 0) {
        const auto bank = input.ConsumeBytes<std::uint8_t>(256);
        std::copy(bank.begin(), bank.end(), model.registers.begin());
    }
    model.registers[8] = RegisterValue(input);
    model.registers[37] = RegisterValue(input);
    model.registers[38] = RegisterValue(input);
    if (input.ConsumeIntegralInRange(0, 7) == 0) {
        const auto bank = input.ConsumeBytes<std::uint8_t>(256);
        std::copy(bank.begin(), bank.end(), model.chipRegisters.begin());
    }
    model.ready = input.ConsumeIntegralInRange(0, 7) != 0;
    model.i2cPresent = input.ConsumeIntegralInRange(0, 7) != 0;
    if (input.ConsumeBool()) {
        model.deviceInfo = input.ConsumeIntegral<std::uint32_t>();
        model.eventTag = input.ConsumeIntegralInRange(0, 3) == 0 ? input.ConsumeIntegral<std::uint32_t>() : 0;
        model.eventAddress = input.ConsumeIntegralInRange(0, 3) == 0 ? 160 : input.ConsumeIntegral<std::uint32_t>();
    }
    const int rules = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < rules; ++i) {
        SimI2CModel::Failure rule;
        rule.id = PickNumber(input, ids);
        rule.set = input.ConsumeBool();
        rule.always = input.ConsumeBool();
        rule.onlyRegister = input.PickValueInArray(registers);
        model.failures.push_back(rule);
    }
    return device;
}

void DecodeCapture(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts&)
{
    static const char* const wanted[] = {"USB 6711 Device", "USB 6704 Device", "USB 6711", "", "Webcam",
                                         "usb 6711 device"};
    static const char* const valueNames[] = {"RealDSName", "DSName"};
    SimCapture& capture = machine.capture;
    capture.enumeratorUnavailable = input.ConsumeIntegralInRange(0, 15) == 0;
    for (auto* list : {&capture.video, &capture.bda}) {
        const int count = input.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < count; ++i)
            list->push_back(DecodeCaptureDevice(input));
    }
    // The wanted name, of any type and size, with or without its terminator.
    const int values = input.ConsumeIntegralInRange(0, 2);
    for (int i = 0; i < values; ++i) {
        RegistryValue value;
        value.type = input.ConsumeIntegralInRange(0, 3) == 0 ? win::REG_BINARY : win::REG_SZ;
        std::string text = PickText(input, wanted, 600);
        if (input.ConsumeIntegralInRange(0, 7) == 0)
            text += std::string(input.ConsumeIntegralInRange(230, 300), 'n');
        value.data.assign(text.begin(), text.end());
        if (input.ConsumeBool())
            value.data.push_back(0);
        machine.registry.SetValue("Software\\USB6701\\BDA", input.PickValueInArray(valueNames), value);
    }
}

// Every part of the machine that input can reach. A subsystem adds its own here.
const Decoder kDecoders[] = {
    DecodeVersion, DecodeProgram, DecodeCommandLine, DecodeSettings,
    DecodeRegistry, DecodeFiles, DecodeShell, DecodeAnswers,
    DecodeDevicePatterns, DecodeDeviceTree, DecodeCapture,
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
    // The trace shows texts in UTF-8; the settings hold the machine's bytes.
    const auto shown = [&machine](const char* bytes) { return codepage::ToUtf8(machine.CodePage(), bytes); };
    struct {
        std::string Setup, NoSetupPath, RePlugin, HotfixReBoot;
        std::int32_t HotfixMustRebootMessage;
    } s = {shown(app.Settings.Setup), shown(app.Settings.NoSetupPath), shown(app.Settings.RePlugin),
           shown(app.Settings.HotfixReBoot), app.Settings.HotfixMustRebootMessage};
    for (const auto& effect : machine.trace.OfKind("message_box")) {
        const std::string text = TextOf(effect["text"]);
        // The device channel's own warnings, which carry their own caption.
        if (text == "I2C device not detected" || text == "I2C device was powered down or not ready") {
            FUZZ_CHECK(TextOf(effect["caption"]) == "KQ6701 Custom Property Demo", "caption %s",
                       TextOf(effect["caption"]).c_str());
            FUZZ_CHECK(effect["style"] == (win::MB_OK | win::MB_ICONWARNING), "style");
            continue;
        }
        FUZZ_CHECK(TextOf(effect["caption"]) == s.Setup, "caption %s", TextOf(effect["caption"]).c_str());
        // The restart question, asked only when the settings ask for it,
        // with OK and Cancel and owned by the completion dialog.
        if (text == s.HotfixReBoot && s.HotfixMustRebootMessage != 0 &&
            effect["style"] == win::MB_OKCANCEL) {
            FUZZ_CHECK(!effect["owner"].is_null(), "a restart question without its dialog");
            continue;
        }
        FUZZ_CHECK(text == "CreateProcess failed." || text == s.NoSetupPath || text == s.RePlugin,
                   "message %s", text.c_str());
        FUZZ_CHECK(effect["style"] == win::MB_OK, "style");
    }
}

// --- Device promises ---------------------------------------------------------

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The first hardware ID of `bytes` (up to its terminator or the data's end)
// begins with `pattern`, in any ASCII letter case.
bool BeginsWith(const std::vector<std::uint8_t>& bytes, const std::string& pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (i >= bytes.size() || bytes[i] == 0 || FoldAscii(static_cast<char>(bytes[i])) != FoldAscii(pattern[i]))
            return false;
    }
    return true;
}

// The non-empty patterns of the settings that some present device's first
// hardware ID begins with.
std::vector<std::string> PresentPatterns(const SimulatedMachine& machine, const CLauncherApp& app)
{
    std::vector<std::string> patterns;
    const LauncherSettings& s = app.Settings;
    for (std::int32_t j = 0; j < s.DeviceIDNum && j < LauncherSettings::kDeviceIdSlots; ++j) {
        const std::string pattern = s.DevDrvID[j];
        if (pattern.empty())
            continue;
        for (const SimDeviceNode& node : machine.devices.Nodes()) {
            if (node.present && node.hasHardwareIds && BeginsWith(node.hardwareIds, pattern)) {
                patterns.push_back(pattern);
                break;
            }
        }
    }
    return patterns;
}

// Nothing is removed, nor is removal tried, that no non-empty pattern of a
// present device names; the record of matches stays within its ten places
// and holds only such patterns.
void RemovalsAreNamedByPatterns(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts&)
{
    FUZZ_CHECK(app.MatchedDeviceCount >= 0 && app.MatchedDeviceCount <= CLauncherApp::kMatchedDeviceSlots,
               "MatchedDeviceCount %d", app.MatchedDeviceCount);
    const std::vector<std::string> patterns = PresentPatterns(machine, app);
    const auto named = [&](const std::vector<std::uint8_t>& ids) {
        for (const std::string& pattern : patterns) {
            if (BeginsWith(ids, pattern))
                return true;
        }
        return false;
    };
    for (std::int32_t i = 0; i < app.MatchedDeviceCount; ++i) {
        const std::string entry(app.MatchedDeviceIds[i]);
        bool known = false;
        for (const std::string& pattern : patterns)
            known = known || pattern == entry;
        FUZZ_CHECK(known, "recorded pattern %d \"%s\" names no present device", i, entry.c_str());
    }
    for (const auto& effect : machine.trace.OfKind("remove_device")) {
        const auto index = effect["node"].get<std::size_t>();
        FUZZ_CHECK(index < machine.devices.Nodes().size(), "removal of node %zu", index);
        FUZZ_CHECK(named(machine.devices.Nodes()[index].hardwareIds), "removal of %s, which no pattern names",
                   TextOf(effect["hardware_id"]).c_str());
    }
}

// COM is initialised exactly while the channel is open: every call into the
// capture objects lies between a CoInitialize and its CoUninitialize, the
// two balance, and nothing of COM (references, strings, device sets) is
// left held or misused.
void ComIsHeldOnlyWhileTheChannelIsOpen(const SimulatedMachine& machine, const CLauncherApp&, const ScenarioFacts&)
{
    int depth = 0;
    int opened = 0;
    for (const auto& effect : machine.trace.Effects()) {
        const std::string kind = TextOf(effect["effect"]);
        if (kind == "co_initialize") {
            ++depth;
            ++opened;
        } else if (kind == "co_uninitialize") {
            --depth;
            FUZZ_CHECK(depth >= 0, "CoUninitialize without CoInitialize");
        } else if (kind == "property" || kind == "query_interface" || kind == "bind_filter") {
            FUZZ_CHECK(depth > 0, "%s outside the channel", kind.c_str());
        }
    }
    FUZZ_CHECK(depth == 0, "COM left initialised %d times", depth);
    FUZZ_CHECK(opened <= 1, "the channel was opened %d times", opened);
    const SimCapture& capture = machine.capture;
    FUZZ_CHECK(capture.ComInitializations() == 0, "COM initialisations left: %d", capture.ComInitializations());
    FUZZ_CHECK(capture.OutstandingReferences() == 0, "references left held: %ld", capture.OutstandingReferences());
    FUZZ_CHECK(capture.LiveStrings() == 0, "BSTRs left: %zu", capture.LiveStrings());
    FUZZ_CHECK(capture.Faults() == 0, "COM misused: %s", machine.trace.ToJsonLines().c_str());
    FUZZ_CHECK(machine.devices.OpenSetCount() == 0, "device information sets left: %zu",
               machine.devices.OpenSetCount());
}

// Only registers 8, 37 and 38 of the device at 160 are written, one byte at
// a time, with the values the audio-class rules allow for this run.
void WritesAreTheRulesOwn(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts&)
{
    const LauncherSettings& s = app.Settings;
    std::uint32_t word = 0;
    int classWrites = 0;
    for (const auto& call : machine.trace.OfKind("property")) {
        const auto id = call["id"].get<std::uint32_t>();
        const bool set = call["call"] == "set";
        FUZZ_CHECK(!set || id == 4103 || id == 4104 || id == 4107, "set of property %u", id);
        if (id == 4103 && set) {
            word = call["data"].get<std::uint32_t>();
            FUZZ_CHECK(word == 0 || (word >> 16) == (0x100u | 160u), "transfer word %#x", word);
            FUZZ_CHECK(word == 0 || (word & 255) == 1, "transfer word %#x", word);
            continue;
        }
        if (id != 4104 || !set)
            continue;
        const std::uint32_t reg = (word >> 8) & 255;
        FUZZ_CHECK(word != 0, "a write without a selected transfer");
        FUZZ_CHECK(call["data"].size() == 1, "a write of %zu bytes", call["data"].size());
        const auto value = call["data"][0].get<std::uint32_t>();
        if (reg == 8) {
            ++classWrites;
            const bool toNT6 = app.IsWinNT6 == 0 && s.EnableXPAudioClass == 0;
            FUZZ_CHECK(value == (toNT6 ? 208u : 80u), "register 8 <- %u (IsWinNT6 %d, EnableXPAudioClass %d)",
                       value, app.IsWinNT6, s.EnableXPAudioClass);
        } else {
            FUZZ_CHECK(reg == 37 || reg == 38, "register %u written", reg);
            FUZZ_CHECK(s.EnableXPAudioClass != 0 && s.EnableAudioVol != 0, "volume written while not asked for");
            FUZZ_CHECK(value == (reg == 38 ? 1u : 0u), "register %u <- %u", reg, value);
        }
    }
    FUZZ_CHECK(classWrites <= 1, "register 8 written %d times", classWrites);
}

// Every promise of a run. A subsystem adds its own here.
const Check kChecks[] = {
    NothingIsLeftOpen,
    ChildrenAreTheCommandsOwnPrograms,
    ShellOpensAreUpdatePackages,
    MessagesAreTheRunsOwn,
    RemovalsAreNamedByPatterns,
    ComIsHeldOnlyWhileTheChannelIsOpen,
    WritesAreTheRulesOwn,
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

#include "platform/sim/Scenario.h"

#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/WinConstants.h"
#include "platform/sim/CodePage.h"
#include "platform/sim/NamedSystems.h"
#include "platform/sim/WindowScenario.h"

namespace {

using nlohmann::json;

// A fault of the scenario, with the place it was found at.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where a value sits in the scenario, for messages: registry["K"]["V"].data
std::string Member(const std::string& place, const std::string& key)
{
    return place.empty() ? key : place + "." + key;
}
std::string Entry(const std::string& place, const std::string& name)
{
    return place + "[" + json(name).dump() + "]";
}

[[noreturn]] void Fail(const std::string& place, const std::string& problem)
{
    throw ScenarioError(place + ": " + problem);
}

std::string TypeName(const json& value)
{
    return std::string(value.type_name());
}

void ExpectObject(const json& value, const std::string& place)
{
    if (!value.is_object())
        Fail(place, "must be an object, not " + TypeName(value));
}

// Every member of `value` must be one of `known`.
void ExpectKeys(const json& value, const std::string& place, std::initializer_list<const char*> known)
{
    ExpectObject(value, place);
    for (const auto& [key, member] : value.items()) {
        bool found = false;
        for (const char* name : known)
            found = found || key == name;
        if (!found) {
            std::string list;
            for (const char* name : known)
                list += std::string(list.empty() ? "" : ", ") + name;
            Fail(Member(place, key), "unknown key (known here: " + list + ")");
        }
    }
}

// The loader's view of the machine it fills, and what every value needs.
class Loader {
public:
    Loader(SimulatedMachine& machine, std::string baseFolder)
        : m_machine(machine), m_baseFolder(std::move(baseFolder))
    {
    }

    SimulatedMachine& machine() { return m_machine; }
    const std::string& baseFolder() const { return m_baseFolder; }

    // A text of the scenario (UTF-8) as the machine's bytes.
    std::string Text(const json& value, const std::string& place) const
    {
        if (!value.is_string())
            Fail(place, "must be a string, not " + TypeName(value));
        return ToMachine(value.get<std::string>(), place);
    }

    std::string ToMachine(const std::string& utf8, const std::string& place) const
    {
        const auto bytes = codepage::FromUtf8(m_machine.CodePage(), utf8);
        if (!bytes)
            Fail(place, json(utf8).dump() + " has characters that code page " +
                            std::to_string(m_machine.CodePage()) + " cannot hold");
        return *bytes;
    }

    std::uint64_t Unsigned(const json& value, const std::string& place, std::uint64_t max) const
    {
        if (!value.is_number_integer() || (value.is_number_integer() && !value.is_number_unsigned() &&
                                            value.get<std::int64_t>() < 0))
            Fail(place, "must be a whole number from 0 to " + std::to_string(max) + ", not " +
                            value.dump());
        const auto number = value.get<std::uint64_t>();
        if (number > max)
            Fail(place, "must be a whole number from 0 to " + std::to_string(max) + ", not " +
                            value.dump());
        return number;
    }

    std::int64_t Signed(const json& value, const std::string& place) const
    {
        if (!value.is_number_integer())
            Fail(place, "must be a whole number, not " + value.dump());
        return value.get<std::int64_t>();
    }

    bool Bool(const json& value, const std::string& place) const
    {
        if (!value.is_boolean())
            Fail(place, "must be true or false, not " + value.dump());
        return value.get<bool>();
    }

private:
    SimulatedMachine& m_machine;
    std::string m_baseFolder;
};

const std::map<std::string, win::DWORD>& RegistryTypes()
{
    static const std::map<std::string, win::DWORD> types = {
        {"REG_NONE", win::REG_NONE},     {"REG_SZ", win::REG_SZ},
        {"REG_EXPAND_SZ", win::REG_EXPAND_SZ}, {"REG_BINARY", win::REG_BINARY},
        {"REG_DWORD", win::REG_DWORD},   {"REG_MULTI_SZ", win::REG_MULTI_SZ},
        {"REG_QWORD", win::REG_QWORD}};
    return types;
}

std::vector<std::uint8_t> FromHex(const std::string& hex, const std::string& place)
{
    if (hex.size() % 2 != 0)
        Fail(place, "hex data of odd length: " + hex);
    if (hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Fail(place, "not hex digits: " + hex);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

void AppendNumber(std::vector<std::uint8_t>& out, std::uint64_t number, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
}

// A value: {"type": ..., "data": ...} in the form its type holds, or
// {"type": ..., "hex": "..."} with raw bytes of any length, whatever the type.
RegistryValue ParseValue(const Loader& loader, const json& spec, const std::string& place)
{
    ExpectKeys(spec, place, {"type", "data", "hex"});
    if (!spec.contains("type"))
        Fail(Member(place, "type"), "missing");
    const std::string typeName = loader.Text(spec.at("type"), Member(place, "type"));
    const auto type = RegistryTypes().find(typeName);
    if (type == RegistryTypes().end())
        Fail(Member(place, "type"), "unknown registry type " + typeName);
    RegistryValue value;
    value.type = type->second;
    const bool hasHex = spec.contains("hex");
    const bool hasData = spec.contains("data");
    if (hasHex == hasData)
        Fail(place, "needs exactly one of \"data\" and \"hex\"");
    if (hasHex) {
        value.data = FromHex(loader.Text(spec.at("hex"), Member(place, "hex")), Member(place, "hex"));
        return value;
    }
    const json& data = spec.at("data");
    const std::string dataPlace = Member(place, "data");
    switch (value.type) {
    case win::REG_DWORD:
        AppendNumber(value.data, loader.Unsigned(data, dataPlace, 0xFFFFFFFFu), 4);
        break;
    case win::REG_QWORD:
        AppendNumber(value.data, loader.Unsigned(data, dataPlace, std::numeric_limits<std::uint64_t>::max()), 8);
        break;
    case win::REG_SZ:
    case win::REG_EXPAND_SZ: {
        // Stored with their terminator.
        const std::string s = loader.Text(data, dataPlace);
        value.data.assign(s.begin(), s.end());
        value.data.push_back(0);
        break;
    }
    case win::REG_MULTI_SZ: {
        if (!data.is_array())
            Fail(dataPlace, "REG_MULTI_SZ data must be a list of strings, not " + TypeName(data));
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::string s = loader.Text(data[i], dataPlace + "[" + std::to_string(i) + "]");
            value.data.insert(value.data.end(), s.begin(), s.end());
            value.data.push_back(0);
        }
        value.data.push_back(0);
        break;
    }
    default:
        Fail(dataPlace, typeName + " holds raw bytes: give them as \"hex\"");
    }
    return value;
}

std::string ReadWholeFile(const std::string& path, const std::string& place)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail(place, "cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SimFile ParseFile(const Loader& loader, const json& spec, const std::string& place)
{
    ExpectKeys(spec, place, {"program", "text", "text_file"});
    SimFile file;
    if (spec.contains("program")) {
        const json& program = spec.at("program");
        const std::string programPlace = Member(place, "program");
        ExpectKeys(program, programPlace, {"exit_code", "start_error"});
        file.isProgram = true;
        if (program.contains("exit_code"))
            file.program.exitCode = static_cast<std::uint32_t>(
                loader.Unsigned(program.at("exit_code"), Member(programPlace, "exit_code"), 0xFFFFFFFFu));
        if (program.contains("start_error"))
            file.program.startError = static_cast<std::uint32_t>(loader.Unsigned(
                program.at("start_error"), Member(programPlace, "start_error"), 0xFFFFFFFFu));
    }
    if (spec.contains("text") && spec.contains("text_file"))
        Fail(place, "needs at most one of \"text\" and \"text_file\"");
    if (spec.contains("text"))
        file.text = loader.Text(spec.at("text"), Member(place, "text"));
    if (spec.contains("text_file")) {
        const std::string name = spec.at("text_file").is_string() ? spec.at("text_file").get<std::string>() : "";
        loader.Text(spec.at("text_file"), Member(place, "text_file"));
        // The file's bytes as they are: already in the machine's code page.
        file.text = ReadWholeFile(loader.baseFolder() + "/" + name, Member(place, "text_file"));
    }
    return file;
}

// --- The sections of a scenario ---------------------------------------------

void LoadCodePage(Loader& loader, const json& value, const std::string& place)
{
    const auto page = static_cast<unsigned>(loader.Unsigned(value, place, 65535));
    if (!codepage::IsSupported(page))
        Fail(place, "code page " + std::to_string(page) + " is not one of 1252, 932, 936, 949, 950");
    loader.machine().SetCodePage(page);
}

void LoadSystem(Loader& loader, const json& value, const std::string& place)
{
    ExpectKeys(value, place, {"name", "bits"});
    if (!value.contains("name"))
        Fail(Member(place, "name"), "missing");
    const std::string name = loader.Text(value.at("name"), Member(place, "name"));
    const std::int64_t bits = value.contains("bits") ? loader.Signed(value.at("bits"), Member(place, "bits")) : 32;
    const NamedSystem* system = FindNamedSystem(name);
    if (system == nullptr) {
        std::string list;
        for (const std::string& known : NamedSystemNames())
            list += (list.empty() ? "" : ", ") + json(known).dump();
        Fail(Member(place, "name"), "unknown system " + json(name).dump() + " (known: " + list + ")");
    }
    if (!ApplyNamedSystem(name, static_cast<int>(bits), loader.machine()))
        Fail(Member(place, "bits"), name + " does not come in " + std::to_string(bits) + " bits");
}

void LoadVersion(Loader& loader, const json& v, const std::string& place)
{
    ExpectKeys(v, place, {"platform", "major", "minor", "build", "service_pack", "available"});
    SimVersion& version = loader.machine().version;
    const auto number = [&](const char* key, win::DWORD& out) {
        if (v.contains(key))
            out = static_cast<win::DWORD>(loader.Unsigned(v.at(key), Member(place, key), 0xFFFFFFFFu));
    };
    number("platform", version.platformId);
    number("major", version.major);
    number("minor", version.minor);
    number("build", version.build);
    if (v.contains("service_pack")) {
        version.servicePack = loader.Text(v.at("service_pack"), Member(place, "service_pack"));
        if (version.servicePack.size() > 127)
            Fail(Member(place, "service_pack"), "longer than the record's 127 characters");
    }
    if (v.contains("available"))
        version.available = loader.Bool(v.at("available"), Member(place, "available"));
}

void LoadWow64(Loader& loader, const json& value, const std::string& place)
{
    loader.machine().registry.SetWow64(loader.Bool(value, place));
}

void LoadProgram(Loader& loader, const json& value, const std::string& place)
{
    loader.machine().SetProgramPath(loader.Text(value, place));
}

void LoadCommandLine(Loader& loader, const json& value, const std::string& place)
{
    loader.machine().SetCommandLine(loader.Text(value, place));
}

void LoadCurrentFolder(Loader& loader, const json& value, const std::string& place)
{
    loader.machine().SetCurrentFolder(loader.Text(value, place));
}

void LoadRegistryView(Loader& loader, const json& keys, const std::string& place,
                      SimRegistry::View view)
{
    ExpectObject(keys, place);
    for (const auto& [keyPath, values] : keys.items()) {
        const std::string keyPlace = Entry(place, keyPath);
        ExpectObject(values, keyPlace);
        const std::string key = loader.ToMachine(keyPath, keyPlace);
        loader.machine().registry.AddKey(key, view);
        for (const auto& [name, spec] : values.items()) {
            const std::string valuePlace = Entry(keyPlace, name);
            loader.machine().registry.SetValue(key, loader.ToMachine(name, valuePlace),
                                               ParseValue(loader, spec, valuePlace), view);
        }
    }
}

void LoadRegistry(Loader& loader, const json& value, const std::string& place)
{
    LoadRegistryView(loader, value, place, SimRegistry::View::Program);
}

void LoadNativeRegistry(Loader& loader, const json& value, const std::string& place)
{
    if (!loader.machine().registry.Wow64())
        Fail(place, "a 32-bit machine has one registry view: give its values in \"registry\"");
    LoadRegistryView(loader, value, place, SimRegistry::View::Native);
}

void LoadFiles(Loader& loader, const json& value, const std::string& place)
{
    ExpectObject(value, place);
    for (const auto& [path, spec] : value.items()) {
        const std::string filePlace = Entry(place, path);
        loader.machine().files.AddFile(loader.ToMachine(path, filePlace),
                                       ParseFile(loader, spec, filePlace));
    }
}

void LoadFolders(Loader& loader, const json& value, const std::string& place)
{
    if (!value.is_array())
        Fail(place, "must be a list of paths, not " + TypeName(value));
    for (std::size_t i = 0; i < value.size(); ++i)
        loader.machine().files.AddFolder(loader.Text(value[i], place + "[" + std::to_string(i) + "]"));
}

void LoadShell(Loader& loader, const json& value, const std::string& place)
{
    ExpectObject(value, place);
    for (const auto& [extension, spec] : value.items()) {
        const std::string entryPlace = Entry(place, extension);
        const std::string name = loader.ToMachine(extension, entryPlace);
        if (spec.is_number_integer()) {
            loader.machine().shell.Associate(name, static_cast<win::INT_PTR>(loader.Signed(spec, entryPlace)));
            continue;
        }
        // {"handler": "C:\\...\\handler.exe", "result": 33}: the answer when it starts.
        ExpectKeys(spec, entryPlace, {"handler", "result"});
        if (!spec.contains("handler"))
            Fail(Member(entryPlace, "handler"), "missing");
        const win::INT_PTR accepted =
            spec.contains("result")
                ? static_cast<win::INT_PTR>(loader.Unsigned(spec.at("result"), Member(entryPlace, "result"), 0x7FFFFFFF))
                : 42;
        if (accepted <= 32)
            Fail(Member(entryPlace, "result"), "the answer of a started handler is above 32");
        loader.machine().shell.AssociateHandler(
            name, loader.Text(spec.at("handler"), Member(entryPlace, "handler")), accepted);
    }
}

void LoadAnswers(Loader& loader, const json& value, const std::string& place)
{
    if (!value.is_array())
        Fail(place, "must be a list of button IDs, not " + TypeName(value));
    for (std::size_t i = 0; i < value.size(); ++i)
        loader.machine().user.QueueAnswer(
            static_cast<int>(loader.Signed(value[i], place + "[" + std::to_string(i) + "]")));
}

// Device maintenance: the device tree and the capture devices, each parsed
// in its own file.
void LoadDevices(Loader& loader, const json& value, const std::string&)
{
    LoadDeviceTree(value, loader.machine().devices);
}

void LoadCaptureDevices(Loader& loader, const json& value, const std::string&)
{
    LoadCapture(value, loader.machine().capture);
}

// The window manager: the foreign windows and the user's actions, parsed in
// their own file.
void LoadWindowsSection(Loader& loader, const json& value, const std::string&)
{
    LoadWindowSections(json{{"windows", value}}, loader.machine());
}

void LoadUserActionsSection(Loader& loader, const json& value, const std::string&)
{
    LoadWindowSections(json{{"user_actions", value}}, loader.machine());
}

// The top-level keys, in the order they are applied: the code page before
// any text, the named system before the raw record that may refine it, the
// machine's bitness before its registry. A new section is one row here.
using SectionLoader = void (*)(Loader&, const json&, const std::string&);
struct Section {
    const char* key;
    SectionLoader load;
};
const Section kSections[] = {
    {"code_page", LoadCodePage},
    {"system", LoadSystem},
    {"version", LoadVersion},
    {"wow64", LoadWow64},
    {"program", LoadProgram},
    {"command_line", LoadCommandLine},
    {"current_folder", LoadCurrentFolder},
    {"registry", LoadRegistry},
    {"registry_native", LoadNativeRegistry},
    {"files", LoadFiles},
    {"folders", LoadFolders},
    {"shell", LoadShell},
    {"answers", LoadAnswers},
    {"devices", LoadDevices},
    {"capture", LoadCaptureDevices},
    {"windows", LoadWindowsSection},
    {"user_actions", LoadUserActionsSection},
};

void Load(const json& scenario, const std::string& baseFolder, SimulatedMachine& machine)
{
    if (!scenario.is_object())
        Fail("scenario", "must be an object, not " + TypeName(scenario));
    for (const auto& [key, value] : scenario.items()) {
        bool known = false;
        for (const Section& section : kSections)
            known = known || key == section.key;
        if (!known) {
            std::string list;
            for (const Section& section : kSections)
                list += std::string(list.empty() ? "" : ", ") + section.key;
            Fail(key, "unknown key (known: " + list + ")");
        }
    }
    Loader loader(machine, baseFolder);
    for (const Section& section : kSections) {
        const auto found = scenario.find(section.key);
        if (found != scenario.end())
            section.load(loader, *found, section.key);
    }
}

} // namespace

bool LoadScenario(const json& scenario, const std::string& baseFolder, SimulatedMachine& machine,
                  std::string& error)
{
    try {
        Load(scenario, baseFolder, machine);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

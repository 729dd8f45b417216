#include "platform/sim/Scenario.h"

#include <fstream>
#include <map>
#include <sstream>

#include "platform/WinConstants.h"
#include "platform/sim/WindowScenario.h"

namespace {

using nlohmann::json;

const std::map<std::string, win::DWORD>& RegistryTypes()
{
    static const std::map<std::string, win::DWORD> types = {
        {"REG_NONE", win::REG_NONE},     {"REG_SZ", win::REG_SZ},
        {"REG_EXPAND_SZ", win::REG_EXPAND_SZ}, {"REG_BINARY", win::REG_BINARY},
        {"REG_DWORD", win::REG_DWORD},   {"REG_MULTI_SZ", win::REG_MULTI_SZ},
        {"REG_QWORD", win::REG_QWORD}};
    return types;
}

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        throw std::runtime_error("hex data of odd length: " + hex);
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

RegistryValue ParseValue(const json& spec)
{
    RegistryValue value;
    const std::string typeName = spec.at("type").get<std::string>();
    const auto type = RegistryTypes().find(typeName);
    if (type == RegistryTypes().end())
        throw std::runtime_error("unknown registry type " + typeName);
    value.type = type->second;
    if (spec.contains("hex")) {
        value.data = FromHex(spec.at("hex").get<std::string>());
    } else if (value.type == win::REG_DWORD) {
        const auto number = spec.at("data").get<std::uint32_t>();
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
    } else {
        // Strings are stored with their terminator.
        const std::string s = spec.at("data").get<std::string>();
        value.data.assign(s.begin(), s.end());
        value.data.push_back(0);
    }
    return value;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SimFile ParseFile(const json& spec, const std::string& baseFolder)
{
    SimFile file;
    if (spec.contains("program")) {
        const json& program = spec.at("program");
        file.isProgram = true;
        file.program.exitCode = program.value("exit_code", 0u);
        file.program.startError = program.value("start_error", 0u);
    }
    if (spec.contains("text"))
        file.text = spec.at("text").get<std::string>();
    if (spec.contains("text_file"))
        file.text = ReadWholeFile(baseFolder + "/" + spec.at("text_file").get<std::string>());
    return file;
}

// A member of the scenario, or an empty one of the same kind.
const json& Member(const json& scenario, const char* name, const json& empty)
{
    const auto found = scenario.find(name);
    return found == scenario.end() ? empty : *found;
}

void Load(const json& scenario, const std::string& baseFolder, SimulatedMachine& machine)
{
    if (scenario.contains("version")) {
        const json& v = scenario.at("version");
        machine.version.platformId = v.value("platform", machine.version.platformId);
        machine.version.major = v.value("major", machine.version.major);
        machine.version.minor = v.value("minor", machine.version.minor);
        machine.version.build = v.value("build", machine.version.build);
        machine.version.servicePack = v.value("service_pack", machine.version.servicePack);
        machine.version.available = v.value("available", true);
    }
    if (scenario.contains("program"))
        machine.SetProgramPath(scenario.at("program").get<std::string>());
    if (scenario.contains("command_line"))
        machine.SetCommandLine(scenario.at("command_line").get<std::string>());
    if (scenario.contains("current_folder"))
        machine.SetCurrentFolder(scenario.at("current_folder").get<std::string>());
    machine.registry.SetWow64(scenario.value("wow64", false));

    const json noObject = json::object();
    const json noArray = json::array();
    for (const auto& [keyPath, values] : Member(scenario, "registry", noObject).items()) {
        machine.registry.AddKey(keyPath);
        for (const auto& [name, spec] : values.items())
            machine.registry.SetValue(keyPath, name, ParseValue(spec));
    }
    for (const auto& [path, spec] : Member(scenario, "files", noObject).items())
        machine.files.AddFile(path, ParseFile(spec, baseFolder));
    for (const auto& folder : Member(scenario, "folders", noArray))
        machine.files.AddFolder(folder.get<std::string>());
    for (const auto& [extension, result] : Member(scenario, "shell", noObject).items())
        machine.shell.Associate(extension, result.get<win::INT_PTR>());
    for (const auto& answer : Member(scenario, "answers", noArray))
        machine.user.QueueAnswer(answer.get<int>());
    LoadWindowSections(scenario, machine);
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

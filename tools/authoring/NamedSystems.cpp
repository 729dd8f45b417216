#include "tools/authoring/NamedSystems.h"

namespace {

std::string Normalized(std::string name)
{
    std::string out;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c == ' ' || c == '-' || c == '_')
            continue;
        out += c;
    }
    if (out.rfind("windows", 0) == 0)
        out.erase(0, 7);
    if (out.rfind("win", 0) == 0)
        out.erase(0, 3);
    const auto replace = [&out](const std::string& from, const std::string& to) {
        const auto at = out.find(from);
        if (at != std::string::npos && at + from.size() == out.size())
            out.replace(at, from.size(), to);
    };
    replace("64bit", "x64");
    replace("32bit", "");
    replace("x86", "");
    replace("64", "x64");
    replace("xx64", "x64");
    replace("32", "");
    return out;
}

} // namespace

namespace preview {

const std::vector<NamedSystem>& NamedSystems()
{
    // Windows 8.1 and later report 6.2 to a program that does not declare
    // them in its manifest, as Setup.exe does not.
    static const std::vector<NamedSystem> systems = {
        // name            description                      major minor build  service pack      64    .msu
        {"XP",            "Windows XP SP3, 32-bit",          5, 1, 2600, "Service Pack 3", false, false},
        {"XP x64",        "Windows XP x64 SP2, 64-bit",      5, 2, 3790, "Service Pack 2", true,  false},
        {"Vista",         "Windows Vista, 32-bit",           6, 0, 6000, "",               false, true},
        {"Vista x64",     "Windows Vista, 64-bit",           6, 0, 6000, "",               true,  true},
        {"Vista SP1",     "Windows Vista SP1, 32-bit",       6, 0, 6001, "Service Pack 1", false, true},
        {"Vista SP1 x64", "Windows Vista SP1, 64-bit",       6, 0, 6001, "Service Pack 1", true,  true},
        {"Vista SP2",     "Windows Vista SP2, 32-bit",       6, 0, 6002, "Service Pack 2", false, true},
        {"Vista SP2 x64", "Windows Vista SP2, 64-bit",       6, 0, 6002, "Service Pack 2", true,  true},
        {"7",             "Windows 7, 32-bit",               6, 1, 7600, "",               false, true},
        {"7 x64",         "Windows 7, 64-bit",               6, 1, 7600, "",               true,  true},
        {"7 SP1",         "Windows 7 SP1, 32-bit",           6, 1, 7601, "Service Pack 1", false, true},
        {"7 SP1 x64",     "Windows 7 SP1, 64-bit",           6, 1, 7601, "Service Pack 1", true,  true},
        {"8",             "Windows 8, 32-bit",               6, 2, 9200, "",               false, true},
        {"8 x64",         "Windows 8, 64-bit",               6, 2, 9200, "",               true,  true},
        {"8.1",           "Windows 8.1, 32-bit",             6, 2, 9200, "",               false, true},
        {"8.1 x64",       "Windows 8.1, 64-bit",             6, 2, 9200, "",               true,  true},
        {"10",            "Windows 10, 32-bit",              6, 2, 9200, "",               false, true},
        {"10 x64",        "Windows 10, 64-bit",              6, 2, 9200, "",               true,  true},
        {"11 x64",        "Windows 11, 64-bit",              6, 2, 9200, "",               true,  true},
    };
    return systems;
}

const NamedSystem* FindNamedSystem(const std::string& name)
{
    const std::string wanted = Normalized(name);
    for (const NamedSystem& system : NamedSystems()) {
        if (Normalized(system.name) == wanted)
            return &system;
    }
    return nullptr;
}

nlohmann::json SystemScenario(const NamedSystem& system)
{
    // The machine itself comes from the simulated machine's table of named
    // systems; the matrix name only adds the bitness ("7 SP1 x64").
    std::string name = system.name;
    const std::string suffix = " x64";
    if (name != "XP x64" && name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    nlohmann::json scenario;
    scenario["system"] = {{"name", name}, {"bits", system.is64 ? 64 : 32}};
    scenario["shell"] = nlohmann::json::object();
    // What ShellExecute gives back for a started program: any value above 32.
    if (system.opensUpdates)
        scenario["shell"][".msu"] = 42;
    return scenario;
}

} // namespace preview

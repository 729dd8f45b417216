#include "platform/sim/NamedSystems.h"

#include "platform/WinConstants.h"
#include "platform/sim/SimulatedMachine.h"

namespace {

RegistryValue Text(const std::string& s)
{
    RegistryValue value{win::REG_SZ, {s.begin(), s.end()}};
    value.data.push_back(0);
    return value;
}

} // namespace

const std::vector<NamedSystem>& NamedSystems()
{
    static const std::vector<NamedSystem> systems = {
        // name         reported             service pack      real version       32     64
        {"XP",          5, 1, 2600, "Service Pack 3",   5, 1, 2600,       true,  false},
        {"XP x64",      5, 2, 3790, "Service Pack 2",   5, 2, 3790,       false, true},
        {"Vista",       6, 0, 6000, "",                 6, 0, 6000,       true,  true},
        {"Vista SP1",   6, 0, 6001, "Service Pack 1",   6, 0, 6001,       true,  true},
        {"Vista SP2",   6, 0, 6002, "Service Pack 2",   6, 0, 6002,       true,  true},
        {"7",           6, 1, 7600, "",                 6, 1, 7600,       true,  true},
        {"7 SP1",       6, 1, 7601, "Service Pack 1",   6, 1, 7601,       true,  true},
        {"8",           6, 2, 9200, "",                 6, 2, 9200,       true,  true},
        {"8.1",         6, 2, 9200, "",                 6, 3, 9600,       true,  true},
        {"10",          6, 2, 9200, "",                 10, 0, 19045,     true,  true},
        {"11",          6, 2, 9200, "",                 10, 0, 22631,     false, true},
    };
    return systems;
}

std::vector<std::string> NamedSystemNames()
{
    std::vector<std::string> names;
    for (const NamedSystem& system : NamedSystems())
        names.emplace_back(system.name);
    return names;
}

const NamedSystem* FindNamedSystem(std::string_view name)
{
    for (const NamedSystem& system : NamedSystems()) {
        if (name == system.name)
            return &system;
    }
    return nullptr;
}

bool ApplyNamedSystem(std::string_view name, int bits, SimulatedMachine& machine)
{
    const NamedSystem* system = FindNamedSystem(name);
    if (system == nullptr || (bits != 32 && bits != 64) || (bits == 32 && !system->has32Bit) ||
        (bits == 64 && !system->has64Bit))
        return false;

    machine.version.platformId = win::VER_PLATFORM_WIN32_NT;
    machine.version.major = system->major;
    machine.version.minor = system->minor;
    machine.version.build = system->build;
    machine.version.servicePack = system->servicePack;
    machine.version.available = true;

    const bool is64 = bits == 64;
    machine.registry.SetWow64(is64);
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    using View = SimRegistry::View;
    machine.registry.SetValue(key, "ProgramFilesDir", Text("C:\\Program Files"), View::Native);
    if (is64) {
        // 32-bit programs get a folder of their own, named in both views.
        const RegistryValue x86 = Text("C:\\Program Files (x86)");
        machine.registry.SetValue(key, "ProgramFilesDir (x86)", x86, View::Native);
        machine.registry.SetValue(key, "ProgramFilesDir", x86, View::Program);
        machine.registry.SetValue(key, "ProgramFilesDir (x86)", x86, View::Program);
    }
    return true;
}

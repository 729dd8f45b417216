// The Windows systems a scenario can name ("XP", "7 SP1", "10", ...), each as
// this program finds it: the version record that GetVersionExA hands to a
// program whose manifest names no supported systems (so 8.1, 10 and 11
// answer 6.2, build 9200, as 8 does), the program folders in the registry,
// and on a 64-bit system the two registry views. Kept apart from the
// scenario loader so that other tools can offer the same list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class SimulatedMachine;

struct NamedSystem {
    const char* name;
    // What GetVersionExA reports to this program.
    unsigned major, minor, build;
    const char* servicePack;
    // The system's own version, where it differs from the report.
    unsigned realMajor, realMinor, realBuild;
    bool has32Bit, has64Bit;
};

// Every named system, oldest first.
const std::vector<NamedSystem>& NamedSystems();

// The names, oldest first.
std::vector<std::string> NamedSystemNames();

// The system of this name, or null.
const NamedSystem* FindNamedSystem(std::string_view name);

// Makes the machine that system in 32 or 64 bits: the version record, WoW64
// and the "ProgramFilesDir" values of both views. False, with the machine
// untouched, for an unknown name or a bitness the system does not come in.
bool ApplyNamedSystem(std::string_view name, int bits, SimulatedMachine& machine);

// The Windows systems a medium is previewed on, by name: what each one reports
// to Setup.exe (a 32-bit program without a compatibility manifest) and what
// it offers it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The preview's own list: the simulated machine's named systems, each in
// the bitness it is previewed in, with the name the matrix shows.
namespace preview {

struct NamedSystem {
    std::string name;        // "XP", "Vista SP1 x64", "10 x64", ...
    std::string description; // "Windows Vista SP1, 64-bit"
    unsigned major, minor, build;
    std::string servicePack;
    bool is64;
    bool opensUpdates; // the shell has a program for ".msu" files
};

// In the order of the matrix: by release, 32-bit before 64-bit.
const std::vector<NamedSystem>& NamedSystems();

// The system of that name; letter case, blanks, "Windows" in front and
// "x86"/"32-bit"/"64-bit" spellings do not count. Null when unknown.
const NamedSystem* FindNamedSystem(const std::string& name);

// The scenario members that make the simulated machine that system.
nlohmann::json SystemScenario(const NamedSystem& system);

} // namespace preview

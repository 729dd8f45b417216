// setup-preview: what Setup.exe would do with a medium on a given Windows, told
// step by step; the launcher itself runs on the simulated machine.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/sim/WindowsPath.h"
#include "tools/authoring/Medium.h"
#include "tools/authoring/NamedSystems.h"
#include "tools/authoring/Preview.h"

namespace {

const char* const kUsage = R"(usage: setup-preview [OPTIONS] MEDIUM [SYSTEM]
       setup-preview [OPTIONS] --matrix MEDIUM
       setup-preview [OPTIONS] --scenario FILE [MEDIUM]

Runs Setup.exe's own logic with MEDIUM (a medium folder: its Setting.ini and
files) on a simulated Windows and tells step by step what the run would do.

Target:
  SYSTEM, --system NAME   a named system (default XP); --list-systems names them
  --matrix                every named system side by side, one column each
  --scenario FILE         a scenario of the simulated machine (as launcher_sim
                          takes it); MEDIUM, when given, is laid out beside its
                          Setup.exe
The run:
  --silence               Setup.exe started with the word "silence"
  --finish-mark=yes|no    whether the driver installer leaves its mark
                          FinishInstall=1 (default yes on a named system)
  --answers N,N,...       answers to the message boxes in order (1 OK,
                          2 Cancel); the others are answered OK
  --program PATH          where Setup.exe lies (default D:\Setup.exe)
The device state (no capture device and no device nodes by default):
  --capture[=NAME]        a capture device is attached (friendly name, default
                          "USB 6711 Device")
  --register R=V[,R=V]    values of its I2C device's registers (implies --capture)
  --hardware-id ID        a present device node with that first hardware ID
  --stale-hardware-id ID  a device node with that ID that is not present
The update package's dialogs (none by default), for the timer's presses:
  --foreign-dialog LAYOUT[:ID,ID...[:CAPTION[:AFTER]]]
                          a dialog that the update package shows once the
                          shell has opened it (repeat for more; the last one
                          lies topmost): LAYOUT marker_static (first child a
                          Static 51966, the buttons beside it), marker_edit
                          (the last child a container: an Edit 64430, then
                          the buttons), decoy_static_id or decoy_edit_direct
                          (near misses that are never pressed); its button
                          IDs in child order (default 1); CAPTION (default
                          "Update"); AFTER: shown only once the dialog with
                          that caption has closed
Output:
  --trace                 the effect trace instead, one JSON object a line
  --print-scenario        the scenario that stands for the run, for launcher_sim
  --list-systems          the named systems
  --help                  this text

Exit status: 0 when the preview ran, 2 when the medium or the scenario cannot
be read or the command line is wrong.
)";

struct Arguments {
    std::vector<std::string> positional;
    std::string system;
    std::string scenarioFile;
    bool matrix = false;
    bool trace = false;
    bool printScenario = false;
    PreviewOptions options;
};

bool SplitList(const std::string& text, std::vector<std::string>& parts)
{
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        parts.push_back(part);
    return !parts.empty();
}

bool ParseNumber(const std::string& text, int& value)
{
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used, 0);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

// 0 to go on, else the exit status.
int Parse(int argc, char** argv, Arguments& a)
{
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        std::string value;
        bool hasValue = false;
        if (argument.rfind("--", 0) == 0 && argument.find('=') != std::string::npos) {
            value = argument.substr(argument.find('=') + 1);
            argument = argument.substr(0, argument.find('='));
            hasValue = true;
        }
        const auto next = [&](std::string& out) {
            if (hasValue) {
                out = value;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return -1;
        } else if (argument == "--list-systems") {
            for (const preview::NamedSystem& system : preview::NamedSystems())
                std::cout << system.name << "\t" << system.description << "\n";
            return -1;
        } else if (argument == "--matrix") {
            a.matrix = true;
        } else if (argument == "--trace") {
            a.trace = true;
        } else if (argument == "--print-scenario") {
            a.printScenario = true;
        } else if (argument == "--silence") {
            a.options.silenceArgument = true;
        } else if (argument == "--system" && next(v)) {
            a.system = v;
        } else if (argument == "--scenario" && next(v)) {
            a.scenarioFile = v;
        } else if (argument == "--program" && next(v)) {
            a.options.programPath = v;
        } else if (argument == "--finish-mark" && next(v) && (v == "yes" || v == "no")) {
            a.options.finishMark = v == "yes";
        } else if (argument == "--answers" && next(v)) {
            std::vector<std::string> parts;
            SplitList(v, parts);
            for (const std::string& part : parts) {
                int answer = 0;
                if (!ParseNumber(part, answer)) {
                    std::cerr << "setup-preview: --answers takes numbers: " << v << "\n";
                    return 2;
                }
                a.options.answers.push_back(answer);
            }
        } else if (argument == "--capture") {
            a.options.captureName = hasValue ? value : std::string("USB 6711 Device");
        } else if (argument == "--register" && next(v)) {
            std::vector<std::string> parts;
            SplitList(v, parts);
            for (const std::string& part : parts) {
                const auto equals = part.find('=');
                int reg = 0;
                int number = 0;
                if (equals == std::string::npos || !ParseNumber(part.substr(0, equals), reg) ||
                    !ParseNumber(part.substr(equals + 1), number) || reg < 0 || reg > 255 || number < 0 ||
                    number > 255) {
                    std::cerr << "setup-preview: --register takes REGISTER=VALUE, both 0 to 255: " << part << "\n";
                    return 2;
                }
                a.options.registers.emplace_back(reg, number);
            }
        } else if (argument == "--foreign-dialog" && next(v)) {
            PreviewOptions::ForeignDialog dialog;
            std::string error;
            if (!ParseForeignDialog(v, dialog, error)) {
                std::cerr << "setup-preview: --foreign-dialog: " << error << "\n";
                return 2;
            }
            a.options.foreignDialogs.push_back(dialog);
        } else if (argument == "--hardware-id" && next(v)) {
            a.options.presentHardwareIds.push_back(v);
        } else if (argument == "--stale-hardware-id" && next(v)) {
            a.options.absentHardwareIds.push_back(v);
        } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
            std::cerr << "setup-preview: unknown option or missing value: " << argv[i] << "\n" << kUsage;
            return 2;
        } else {
            a.positional.push_back(argument);
        }
    }
    return 0;
}

bool ReadScenario(const std::string& path, nlohmann::json& scenario, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read scenario " + path;
        return false;
    }
    scenario = nlohmann::json::parse(in, nullptr, false);
    if (scenario.is_discarded() || !scenario.is_object()) {
        error = path + ": not a JSON object";
        return false;
    }
    return true;
}

std::string WhereShown(const Medium& medium, const PreviewOptions& options, const nlohmann::json& scenario)
{
    (void)options;
    const std::string program = scenario.value("program", std::string());
    std::string folder = winpath::Parent(program);
    return medium.folder + " at " + folder + "\\";
}

} // namespace

int main(int argc, char** argv)
{
    Arguments a;
    const int parsed = Parse(argc, argv, a);
    if (parsed != 0)
        return parsed < 0 ? 0 : parsed;

    const bool haveScenario = !a.scenarioFile.empty();
    std::string mediumArgument;
    if (!a.positional.empty())
        mediumArgument = a.positional[0];
    if (a.positional.size() > 1)
        a.system = a.positional[1];
    if ((a.positional.size() > 2) || (a.positional.size() > 1 && (haveScenario || a.matrix)) ||
        (haveScenario && (a.matrix || !a.system.empty()))) {
        std::cerr << "setup-preview: one target: a named system, --matrix or --scenario\n" << kUsage;
        return 2;
    }
    if (mediumArgument.empty() && !haveScenario) {
        std::cerr << "setup-preview: no medium given\n" << kUsage;
        return 2;
    }

    Medium medium;
    std::string error;
    const bool haveMedium = !mediumArgument.empty();
    if (haveMedium && !LoadMedium(mediumArgument, medium, error)) {
        std::cerr << "setup-preview: " << error << "\n";
        return 2;
    }
    const Medium* mediumUsed = haveMedium ? &medium : nullptr;

    if (haveScenario) {
        nlohmann::json base;
        if (!ReadScenario(a.scenarioFile, base, error)) {
            std::cerr << "setup-preview: " << error << "\n";
            return 2;
        }
        const auto slash = a.scenarioFile.find_last_of("/\\");
        const std::string baseFolder = slash == std::string::npos ? "." : a.scenarioFile.substr(0, slash);
        const nlohmann::json scenario = BuildScenario(mediumUsed, base, a.options);
        if (a.printScenario) {
            std::cout << scenario.dump(2) << "\n";
            return 0;
        }
        PreviewReport report;
        const std::string target = "the machine of " + a.scenarioFile +
                                   (haveMedium ? ", with " + WhereShown(medium, a.options, scenario) : "");
        if (!RunPreview(scenario, baseFolder, mediumUsed, target, report, error)) {
            std::cerr << "setup-preview: " << a.scenarioFile << ": " << error << "\n";
            return 2;
        }
        std::cout << (a.trace ? report.traceJsonLines : FormatReport(report));
        return 0;
    }

    std::vector<const preview::NamedSystem*> systems;
    if (a.matrix) {
        for (const preview::NamedSystem& system : preview::NamedSystems())
            systems.push_back(&system);
    } else {
        const preview::NamedSystem* system = preview::FindNamedSystem(a.system.empty() ? "XP" : a.system);
        if (system == nullptr) {
            std::cerr << "setup-preview: unknown system " << a.system << " (--list-systems names them)\n";
            return 2;
        }
        systems.push_back(system);
    }
    PreviewOptions options = a.options;
    if (!options.finishMark)
        options.finishMark = true;

    std::vector<PreviewReport> reports;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < systems.size(); ++i) {
        const preview::NamedSystem& system = *systems[i];
        if (a.matrix)
            std::cerr << "\rsetup-preview: " << (i + 1) << "/" << systems.size() << " " << system.name
                      << "            " << std::flush;
        const nlohmann::json scenario = BuildScenario(mediumUsed, preview::SystemScenario(system), options);
        if (a.printScenario && !a.matrix) {
            std::cout << scenario.dump(2) << "\n";
            return 0;
        }
        PreviewReport report;
        if (!RunPreview(scenario, ".", mediumUsed, system.description + ", " + WhereShown(medium, options, scenario),
                        report, error)) {
            std::cerr << "\nsetup-preview: " << error << "\n";
            return 2;
        }
        reports.push_back(std::move(report));
        names.push_back(system.name);
    }
    if (a.matrix)
        std::cerr << "\rsetup-preview: " << systems.size() << " systems done            \n";

    if (a.trace) {
        for (std::size_t i = 0; i < reports.size(); ++i) {
            if (!a.matrix) {
                std::cout << reports[i].traceJsonLines;
                continue;
            }
            std::istringstream lines(reports[i].traceJsonLines);
            std::string line;
            while (std::getline(lines, line)) {
                nlohmann::json effect = nlohmann::json::parse(line);
                effect["system"] = names[i];
                std::cout << effect.dump() << "\n";
            }
        }
        return 0;
    }
    if (a.matrix) {
        std::cout << "Setup.exe with " << medium.folder << " on every named system\n\n"
                  << FormatMatrix(reports, names);
        return 0;
    }
    std::cout << FormatReport(reports.front());
    return 0;
}

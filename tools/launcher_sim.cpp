// Plays a scenario through the launcher on the simulated machine and prints
// the effect trace, one JSON object a line. With --expect FILE it compares
// the trace with FILE instead and exits 1 on a difference.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/LauncherApp.h"
#include "platform/sim/Scenario.h"

int main(int argc, char** argv)
{
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--expect")) {
        std::cerr << "usage: launcher_sim SCENARIO.json [--expect TRACE.jsonl]\n";
        return 2;
    }
    const std::string scenarioPath = argv[1];
    std::ifstream in(scenarioPath);
    if (!in) {
        std::cerr << "cannot read " << scenarioPath << "\n";
        return 2;
    }
    const auto scenario = nlohmann::json::parse(in, nullptr, false);
    if (scenario.is_discarded()) {
        std::cerr << scenarioPath << ": not JSON\n";
        return 2;
    }
    const auto slash = scenarioPath.find_last_of('/');
    const std::string baseFolder = slash == std::string::npos ? "." : scenarioPath.substr(0, slash);

    SimulatedMachine machine;
    std::string error;
    if (!LoadScenario(scenario, baseFolder, machine, error)) {
        std::cerr << scenarioPath << ": " << error << "\n";
        return 2;
    }
    CLauncherApp app(machine);
    AfxWinMain();
    const std::string trace = machine.trace.ToJsonLines();

    if (argc == 2) {
        std::cout << trace;
        return 0;
    }
    std::ifstream expectedFile(argv[3]);
    std::stringstream expected;
    expected << expectedFile.rdbuf();
    if (expected.str() == trace) {
        std::cout << "trace matches " << argv[3] << "\n";
        return 0;
    }
    std::cout << "trace differs from " << argv[3] << "\n--- expected\n"
              << expected.str() << "--- actual\n"
              << trace;
    return 1;
}

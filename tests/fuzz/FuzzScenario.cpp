// A whole run of the launcher on a simulated machine decoded from the input:
// settings, program path and command line, version record, registry values
// of any type and size, files and programs that fail to start, shell
// results and message-box answers (see ScenarioInput.h).
#include <cstdint>

#include "tests/fuzz/ScenarioInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    SimulatedMachine machine;
    ScenarioFacts facts;
    DecodeScenario(input, machine, facts);

    CLauncherApp app(machine);
    app.InitInstance();
    app.ExitInstance();
    CheckRun(machine, app, facts);
    return 0;
}

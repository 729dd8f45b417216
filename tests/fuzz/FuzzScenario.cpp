// A whole run of the launcher on a simulated machine decoded from the input:
// settings, program path and command line, version record, registry values
// of any type and size, files and programs that fail to start, shell
// results, message-box answers, device patterns, device trees and capture
// devices with their registers and failures (see ScenarioInput.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
    // FUZZ_TRACE=1 shows what a reproducer's run did, before its checks.
    if (std::getenv("FUZZ_TRACE") != nullptr)
        std::fprintf(stderr, "%s", machine.trace.ToJsonLines().c_str());
    CheckRun(machine, app, facts);
    return 0;
}

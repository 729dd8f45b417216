// A simulated machine decoded from fuzz input, part by part, and the
// promises a run on it must keep.
//
// Each part of the machine has one decoder, which takes what it needs from
// the provider, and each promise one check. A subsystem that lands adds its
// decoder (its part of the machine: device trees, capture-device registers
// and their failures, foreign windows that change while they are walked)
// and its checks to the two tables in ScenarioInput.cpp; nothing else
// changes.
#pragma once

#include <optional>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/LauncherApp.h"
#include "platform/sim/SimulatedMachine.h"

// What the decoders settled and the checks need to know.
struct ScenarioFacts {
    std::string programPath;
    // The folder the launcher must find for itself: before the last
    // separator, when the path fits its buffer and has one.
    std::optional<std::string> programFolder;
};

// Sets up `machine` from the input, every part in turn.
void DecodeScenario(FuzzedDataProvider& input, SimulatedMachine& machine, ScenarioFacts& facts);

// Checks the run that has ended; aborts on a broken promise.
void CheckRun(const SimulatedMachine& machine, const CLauncherApp& app, const ScenarioFacts& facts);

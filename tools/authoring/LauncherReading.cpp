#include "tools/authoring/LauncherReading.h"

#include <memory>

#include "app/LauncherApp.h"
#include "platform/sim/ProfileFile.h"
#include "platform/sim/SimulatedMachine.h"

LauncherReading ReadAsLauncher(const std::string& iniText, const std::string& programFolder)
{
    SimulatedMachine machine;
    machine.SetProgramPath(programFolder + "\\Setup.exe");
    SimFile file;
    file.text = iniText;
    machine.files.AddFile(programFolder + "\\Setting.ini", file);
    machine.traceProfileReads = true;

    auto app = std::make_unique<CLauncherApp>(machine);
    app->ReadSettings();

    LauncherReading reading;
    reading.settings = app->Settings;
    reading.silent = app->Silent;
    for (const auto& effect : machine.trace.OfKind("profile_read"))
        reading.keysRead.push_back(effect.at("key").get<std::string>());
    return reading;
}

const std::vector<std::string>& AllLauncherKeys()
{
    // Counts at the capacities (and beyond, to show that they are capped) make
    // the reader walk every index there is.
    static const std::vector<std::string> keys =
        ReadAsLauncher("[Const]\nDeviceIDNum=1000\nAnotherAPNum=1000\n").keysRead;
    return keys;
}

bool RawProfileValue(const std::string& iniText, const std::string& key, std::string& value)
{
    const auto found = FindProfileValue(iniText, "Const", key);
    if (!found)
        return false;
    value = *found;
    return true;
}

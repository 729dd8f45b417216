// A simulated machine with the medium at D:\ and the launcher ready to run on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/LauncherApp.h"
#include "platform/WinConstants.h"
#include "platform/sim/NamedSystems.h"
#include "platform/sim/SimulatedMachine.h"

enum class Windows { XP32, XP64, Vista32, Vista64, VistaSP1_32, Win7_32, Win7_64, Win8_64 };

// Each flavour as the named system of the simulated machine that stands for it.
inline void SetWindows(SimulatedMachine& machine, Windows windows)
{
    struct Row {
        Windows windows;
        const char* system;
        int bits;
    };
    static const Row rows[] = {
        // windows             named system  bits
        {Windows::XP32,        "XP",         32},
        {Windows::XP64,        "XP x64",     64},
        {Windows::Vista32,     "Vista SP2",  32},
        {Windows::Vista64,     "Vista SP2",  64},
        {Windows::VistaSP1_32, "Vista SP1",  32},
        {Windows::Win7_32,     "7",          32},
        {Windows::Win7_64,     "7",          64},
        {Windows::Win8_64,     "8",          64},
    };
    for (const Row& row : rows) {
        if (row.windows == windows)
            ASSERT_TRUE(ApplyNamedSystem(row.system, row.bits, machine)) << row.system;
    }
}

// A text of `length` characters that names `tail`: "." and ".." parts before
// it, which the system's path rules take away, keep the path below MAX_PATH.
inline std::string Dotted(std::size_t length, const std::string& tail)
{
    const std::size_t rest = length - tail.size();
    const std::size_t detours = rest % 2; // "x\..\" is 5 characters, ".\" 2
    std::string text;
    for (std::size_t i = 0; i < detours; ++i)
        text += "x\\..\\";
    for (std::size_t i = 0; i < (rest - 5 * detours) / 2; ++i)
        text += ".\\";
    return text + tail;
}

// One launcher run on its own simulated machine; a table test makes one a case.
class SimulatedRun {
public:
    SimulatedRun()
    {
        machine.SetProgramPath("D:\\Setup.exe");
        SetWindows(machine, Windows::XP32);
    }

    void WriteSettings(const std::string& ini)
    {
        SimFile file;
        file.text = ini;
        machine.files.AddFile(machine.ProgramPath().substr(0, machine.ProgramPath().rfind('\\')) +
                                  "\\Setting.ini",
                              file);
    }

    void AddProgram(const std::string& path, win::DWORD startError = 0)
    {
        SimFile file;
        file.isProgram = true;
        file.program.startError = startError;
        machine.files.AddFile(path, file);
    }

    void AddDataFile(const std::string& path) { machine.files.AddFile(path, SimFile{}); }

    void SetRegistryDword(const std::string& key, const std::string& name, std::uint32_t number)
    {
        RegistryValue value{win::REG_DWORD, {}};
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
        machine.registry.SetValue(key, name, value);
    }

    // Runs the launcher as the framework would, started with `arguments`.
    CLauncherApp& RunLauncher(const std::string& arguments = "")
    {
        machine.SetCommandLine("\"" + machine.ProgramPath() + "\"" +
                               (arguments.empty() ? "" : " " + arguments));
        app = std::make_unique<CLauncherApp>(machine);
        EXPECT_EQ(app->InitInstance(), win::FALSE);
        return *app;
    }

    std::vector<nlohmann::json> Effects(const std::string& kind) const
    {
        return machine.trace.OfKind(kind);
    }

    // The command lines of the children that were started.
    std::vector<std::string> StartedCommandLines() const
    {
        std::vector<std::string> lines;
        for (const auto& effect : Effects("create_process")) {
            if (effect["result"].get<bool>())
                lines.push_back(effect["command_line"].get<std::string>());
        }
        return lines;
    }

    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& effect : Effects("message_box"))
            texts.push_back(effect["text"].get<std::string>());
        return texts;
    }

    SimulatedMachine machine;
    std::unique_ptr<CLauncherApp> app;
};

class LauncherTest : public ::testing::Test, public SimulatedRun {};

inline const char* const kNotSupported =
    "The driver of this version does not support this operating system.";
inline const char* const kRePlugin = "Please Re-Plugin the USB device on your computer.";
inline const char* const kStartFailed = "CreateProcess failed.";

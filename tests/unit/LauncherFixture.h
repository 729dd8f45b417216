// A simulated machine with the medium at D:\ and the launcher ready to run on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/LauncherApp.h"
#include "platform/WinConstants.h"
#include "platform/sim/SimulatedMachine.h"

enum class Windows { XP32, XP64, Vista32, Vista64, VistaSP1_32, Win7_32, Win7_64, Win8_64 };

inline void SetWindows(SimulatedMachine& machine, Windows windows)
{
    struct Row {
        Windows windows;
        win::DWORD major, minor;
        const char* servicePack;
        bool is64;
    };
    static const Row rows[] = {
        // windows          major minor service pack      64-bit
        {Windows::XP32,        5, 1, "Service Pack 3", false},
        {Windows::XP64,        5, 2, "Service Pack 2", true},
        {Windows::Vista32,     6, 0, "Service Pack 2", false},
        {Windows::Vista64,     6, 0, "Service Pack 2", true},
        {Windows::VistaSP1_32, 6, 0, "Service Pack 1", false},
        {Windows::Win7_32,     6, 1, "", false},
        {Windows::Win7_64,     6, 1, "", true},
        {Windows::Win8_64,     6, 2, "", true},
    };
    for (const Row& row : rows) {
        if (row.windows != windows)
            continue;
        machine.version.major = row.major;
        machine.version.minor = row.minor;
        machine.version.servicePack = row.servicePack;
        machine.registry.SetWow64(row.is64);
        machine.registry.AddKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
        if (row.is64) {
            RegistryValue value{win::REG_SZ, {}};
            const std::string text = "C:\\Program Files (x86)";
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
            machine.registry.SetValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                      "ProgramFilesDir (x86)", value);
        }
    }
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

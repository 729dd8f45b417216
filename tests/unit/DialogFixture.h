// A launcher run that ends in a waiting completion dialog: an update package
// opened through the shell and timer 300 switched on.
#pragma once

#include <string>
#include <vector>

#include "tests/unit/LauncherFixture.h"

inline SimWindowSpec Child(const std::string& className, win::LONG id,
                           std::vector<SimWindowSpec> children = {})
{
    SimWindowSpec spec;
    spec.className = className;
    spec.id = id;
    spec.children = std::move(children);
    return spec;
}

inline std::vector<SimWindowSpec> Buttons(std::vector<win::LONG> ids)
{
    std::vector<SimWindowSpec> buttons;
    for (win::LONG id : ids)
        buttons.push_back(Child("Button", id));
    return buttons;
}

inline SimWindowSpec Dialog(const std::string& caption, std::vector<SimWindowSpec> children)
{
    SimWindowSpec spec;
    spec.className = "#32770";
    spec.text = caption;
    spec.children = std::move(children);
    return spec;
}

// First child a "Static" 51966, the buttons beside it.
inline SimWindowSpec MarkerStatic(const std::string& caption, std::vector<win::LONG> buttons,
                                  const std::string& staticClass = "Static",
                                  win::LONG staticId = 51966)
{
    std::vector<SimWindowSpec> children = {Child(staticClass, staticId)};
    for (auto& button : Buttons(buttons))
        children.push_back(button);
    return Dialog(caption, children);
}

// The last child a container whose first child is an "Edit" 64430, the
// buttons inside the container.
inline SimWindowSpec MarkerEdit(const std::string& caption, std::vector<win::LONG> buttons)
{
    std::vector<SimWindowSpec> inside = {Child("Edit", 64430)};
    for (auto& button : Buttons(buttons))
        inside.push_back(button);
    return Dialog(caption, {Child("Static", 100), Child("#32770", 0, inside)});
}

// A medium whose update package the shell accepts, with `extraSettings`.
inline void PrepareUpdateMedium(SimulatedRun& run, const std::string& extraSettings,
                                bool withPackage = true)
{
    std::string ini = "[Const]\n" + extraSettings;
    if (withPackage)
        ini += "AnotherAPNum=1\nAnotherAPXPx86Exe0=KB100.msu\n";
    run.WriteSettings(ini);
    run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
    run.AddDataFile("D:\\KB100.msu");
    run.machine.shell.Associate(".msu", 33);
}

class DialogRunTest : public ::testing::Test, public SimulatedRun {
public:
    void PrepareMedium(const std::string& extraSettings, bool withPackage = true)
    {
        PrepareUpdateMedium(*this, extraSettings, withPackage);
    }

    void Action(SimUserAction::Kind kind, int afterTicks = 0)
    {
        SimUserAction action;
        action.kind = kind;
        action.afterTicks = afterTicks;
        machine.windows.AddUserAction(action);
    }

    // Presses as "caption:id@tick", from the posted button-down messages.
    std::vector<std::string> Presses() const
    {
        std::vector<std::string> presses;
        int tick = 0;
        for (const auto& effect : machine.trace.Effects()) {
            if (effect["effect"] == "timer_tick")
                tick = effect["tick"].get<int>();
            if (effect["effect"] == "post_message" && effect["message"] == "WM_LBUTTONDOWN")
                presses.push_back(effect["window"]["dialog"].get<std::string>() + ":" +
                                  std::to_string(effect["window"]["id"].get<int>()) + "@" +
                                  std::to_string(tick));
        }
        return presses;
    }

    std::size_t Count(const std::string& kind) const { return Effects(kind).size(); }

    // Index in the trace of the n-th effect of a kind; -1 when absent.
    int IndexOf(const std::string& kind, int n = 0) const
    {
        const auto& effects = machine.trace.Effects();
        for (std::size_t i = 0; i < effects.size(); ++i) {
            if (effects[i]["effect"] == kind && n-- == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
};

using Strings = std::vector<std::string>;

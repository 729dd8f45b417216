// The foreign-dialog scan on the simulated window manager: which buttons of
// which dialogs a tick presses, and when the wait ends.
#include <string>
#include <vector>

#include "tests/unit/DialogFixture.h"
#include "ui/LauncherDlg.h"

namespace {

SimWindowSpec Hidden(SimWindowSpec spec)
{
    spec.hidden = true;
    return spec;
}

SimWindowSpec Disabled(SimWindowSpec spec)
{
    spec.disabled = true;
    return spec;
}

SimWindowSpec VanishingAfterFinds(SimWindowSpec spec, int finds)
{
    spec.vanishAfterFinds = finds;
    return spec;
}

} // namespace

TEST_F(DialogRunTest, ButtonOrderTable)
{
    struct Case {
        const char* label;
        std::vector<SimWindowSpec> windows; // Z order, topmost first
        int ticks;                          // the tick budget
        Strings presses;                    // "caption:id@tick", in order
        std::size_t finishPaths;            // OnOK runs: one end_dialog each
    };
    const Case cases[] = {
        // label                         windows                                   ticks presses                 finish paths
        {"no foreign dialog", {}, 2, {}, 0},
        {"marker static, 1 then 2", {MarkerStatic("S", {1, 2})}, 2, {"S:1@1"}, 0},
        {"marker static, 2 then 1", {MarkerStatic("S", {2, 1})}, 2, {"S:2@1", "S:1@1"}, 1},
        {"marker static, only 2", {MarkerStatic("S", {2})}, 2, {"S:2@1"}, 1},
        {"marker static, 2, 2, 1", {MarkerStatic("S", {2, 2, 1})}, 2, {"S:2@1", "S:2@1", "S:1@1"}, 2},
        {"marker static, wrong ID", {MarkerStatic("S", {1}, "Static", 51965)}, 2, {}, 0},
        {"marker static, wrong class", {MarkerStatic("S", {1}, "Edit")}, 2, {}, 0},
        {"marker static, other letter case", {MarkerStatic("S", {1}, "static")}, 2, {}, 0},
        {"marker static, not the first child",
         {Dialog("S", {Child("Button", 1), Child("Static", 51966)})}, 2, {}, 0},
        {"marker edit", {MarkerEdit("E", {7, 1})}, 2, {"E:1@1"}, 1},
        {"edit not under the last child",
         {Dialog("E", {Child("Edit", 64430), Child("Button", 1)})}, 2, {}, 0},
        {"edit under the last child, but not its first",
         {Dialog("E", {Child("Static", 1), Child("#32770", 0, {Child("Button", 1), Child("Edit", 64430)})})},
         2, {}, 0},
        {"two marker-edit dialogs", {MarkerEdit("A", {1}), MarkerEdit("B", {1})}, 2, {"A:1@1"}, 1},
        {"marker edit without an ID-1 button, then one with",
         {MarkerEdit("A", {2}), MarkerEdit("B", {1})}, 2, {"B:1@1"}, 1},
        {"static with ID 2 and an edit dialog: two finish paths in one tick",
         {MarkerStatic("S", {2}), MarkerEdit("E", {1})}, 2, {"S:2@1", "E:1@1"}, 2},
        {"edit dialog above the static one: the static pass comes first",
         {MarkerEdit("E", {1}), MarkerStatic("S", {2})}, 2, {"S:2@1", "E:1@1"}, 2},
        {"hidden and disabled dialogs are pressed",
         {Hidden(MarkerStatic("H", {1})), Disabled(MarkerStatic("D", {1}))}, 2, {"H:1@1", "D:1@1"}, 0},
        {"a dialog vanishing mid-walk ends the pass; the next tick starts over",
         {VanishingAfterFinds(Dialog("V", Buttons({1})), 1), MarkerStatic("S", {1})}, 2,
         {"S:1@2"}, 0},
        {"a pressed marker-static dialog closes before the next tick",
         {MarkerStatic("S", {1})}, 3, {"S:1@1"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SimulatedRun run;
        PrepareUpdateMedium(run, "EnableTimer=1\nWaitTimer=100\n");
        for (const SimWindowSpec& window : c.windows)
            run.machine.windows.AddWindow(window);
        run.machine.windows.SetTickBudget(c.ticks);
        run.RunLauncher();

        Strings presses;
        int tick = 0;
        std::size_t ups = 0;
        for (const auto& effect : run.machine.trace.Effects()) {
            if (effect["effect"] == "timer_tick")
                tick = effect["tick"].get<int>();
            if (effect["effect"] != "post_message")
                continue;
            EXPECT_TRUE(effect["result"].get<bool>());
            if (effect["message"] == "WM_LBUTTONDOWN") {
                EXPECT_EQ(effect["wparam"], 1);
                presses.push_back(effect["window"]["dialog"].get<std::string>() + ":" +
                                  std::to_string(effect["window"]["id"].get<int>()) + "@" +
                                  std::to_string(tick));
            } else {
                EXPECT_EQ(effect["message"], "WM_LBUTTONUP");
                EXPECT_EQ(effect["wparam"], 0);
                ++ups;
            }
            EXPECT_EQ(effect["lparam"], 0);
        }
        EXPECT_EQ(presses, c.presses);
        EXPECT_EQ(ups, presses.size()) << "every press is a down and an up";
        EXPECT_EQ(run.Effects("end_dialog").size(), c.finishPaths);
        // The timer is killed before every finish path, and only then.
        std::size_t killed = 0;
        for (const auto& effect : run.Effects("timer_killed"))
            killed += effect["id"] == 300 ? 1 : 0;
        EXPECT_EQ(killed, c.finishPaths);
        // No finish path: the dialog keeps waiting until the budget runs out.
        EXPECT_EQ(run.machine.windows.GaveUp(), c.finishPaths == 0);
    }
}

TEST_F(DialogRunTest, TheLaunchersOwnDialogIsAScannedDialogThatNeverMatches)
{
    PrepareMedium("EnableTimer=1\nWaitTimer=100\n");
    machine.windows.SetTickBudget(3);
    RunLauncher();
    // Three ticks, each hiding the dialog and scanning it (it is the only
    // "#32770" window) without a press.
    EXPECT_EQ(Count("timer_tick"), 3u);
    EXPECT_EQ(Count("show_window"), 3u);
    for (const auto& effect : Effects("show_window"))
        EXPECT_EQ(effect["command"], 0);
    EXPECT_EQ(Count("post_message"), 0u);
    EXPECT_EQ(Count("end_dialog"), 0u);
    EXPECT_EQ(machine.windows.CallCounts().at("GetClassNameA"), 3 * 1);
    EXPECT_TRUE(machine.windows.GaveUp());
}

TEST_F(DialogRunTest, AClickedDialogMakesWayForTheOneShownAfterIt)
{
    PrepareMedium("EnableTimer=1\nWaitTimer=100\n");
    SimWindowSpec first = MarkerStatic("First", {1, 2});
    first.onShellOpen = true;
    SimWindowSpec second = MarkerEdit("Second", {1});
    second.afterClosed = "First";
    machine.windows.AddWindow(first);
    machine.windows.AddWindow(second);
    RunLauncher();
    EXPECT_EQ(Presses(), (Strings{"First:1@1", "Second:1@2"}));
    EXPECT_EQ(Count("end_dialog"), 1u);
    EXPECT_FALSE(machine.windows.GaveUp());
    // The foreign dialogs received both halves of each click.
    Strings received;
    for (const auto& effect : Effects("foreign_input"))
        received.push_back(effect["dialog"].get<std::string>() + " " +
                           effect["message"].get<std::string>());
    EXPECT_EQ(received, (Strings{"First WM_LBUTTONDOWN", "First WM_LBUTTONUP",
                                 "Second WM_LBUTTONDOWN", "Second WM_LBUTTONUP"}));
}

TEST_F(DialogRunTest, OneScanCostsCallsInProportionToTheDialogs)
{
    // Decoys: a "Static" first child of the wrong ID and two buttons each.
    long previous = 0;
    for (int dialogs : {1, 10, 100}) {
        SimulatedRun run;
        run.WriteSettings("[Const]\n");
        for (int i = 0; i < dialogs; ++i)
            run.machine.windows.AddWindow(MarkerStatic("D" + std::to_string(i), {1, 2}, "Static", 5));
        run.RunLauncher();
        run.machine.windows.ResetCallCounts();
        CLauncherDlg dialog;
        dialog.ConfirmForeignDialogs();
        const long calls = run.machine.windows.TotalCalls();
        // The desktop, one find per dialog and a last one per pass; the first
        // child, its class and ID in the first pass; the first child, the last
        // child and its first child in the second.
        EXPECT_EQ(calls, 1 + 2 * (dialogs + 1) + 6 * dialogs) << dialogs;
        EXPECT_GT(calls, previous);
        previous = calls;
    }
}

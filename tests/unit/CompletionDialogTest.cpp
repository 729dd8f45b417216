// The completion dialog on the simulated machine: when it waits, how it
// ends, the restart prompt and request, painting while minimised, and the
// framework's routes for its messages.
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "tests/unit/DialogFixture.h"
#include "ui/LauncherDlg.h"

TEST_F(DialogRunTest, TimerConditions)
{
    struct Case {
        const char* label;
        bool package;          // an update package opened through the shell
        const char* settings;
        long long period;      // of timer 300; -1: no timer
    };
    const Case cases[] = {
        // label                        package settings                            period
        {"no package launched", false, "EnableTimer=1\nWaitTimer=100\n", -1},
        {"timer switched off", true, "EnableTimer=0\nWaitTimer=100\n", -1},
        {"timer switch missing", true, "WaitTimer=100\n", -1},
        {"timer on", true, "EnableTimer=1\nWaitTimer=100\n", 100},
        {"any nonzero switch", true, "EnableTimer=2\nWaitTimer=250ms\n", 250},
        {"period missing", true, "EnableTimer=1\n", 0},
        {"negative period passed unchanged", true, "EnableTimer=-1\nWaitTimer=-1\n", 4294967295LL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SimulatedRun run;
        std::string ini = std::string("[Const]\n") + c.settings;
        if (c.package)
            ini += "AnotherAPNum=1\nAnotherAPXPx86Exe0=KB100.msu\n";
        run.WriteSettings(ini);
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.AddDataFile("D:\\KB100.msu");
        run.machine.shell.Associate(".msu", 33);
        SimUserAction cancel;
        cancel.kind = SimUserAction::Kind::Cancel;
        run.machine.windows.AddUserAction(cancel);
        run.RunLauncher();
        EXPECT_EQ(run.app->HotfixLaunched, c.package ? 1 : 0);

        // Both icons are set, big then small, whether or not it waits.
        const auto sends = run.Effects("send_message");
        ASSERT_GE(sends.size(), 2u);
        EXPECT_EQ(sends[0]["wparam"], 1);
        EXPECT_EQ(sends[1]["wparam"], 0);
        EXPECT_EQ(sends[0]["lparam"], "icon 128");
        EXPECT_EQ(sends[1]["lparam"], "icon 128");

        const auto timers = run.Effects("timer_set");
        const auto shown = run.Effects("dialog_shown");
        const auto ended = run.Effects("dialog_ended");
        ASSERT_EQ(ended.size(), 1u);
        if (c.period < 0) {
            // Finished inside its initialisation: never shown, ended with IDOK.
            EXPECT_TRUE(timers.empty());
            EXPECT_TRUE(shown.empty());
            EXPECT_EQ(ended[0]["result"], win::IDOK);
            EXPECT_FALSE(ended[0]["shown"].get<bool>());
            EXPECT_EQ(run.Effects("user_action").size(), 0u);
        } else {
            ASSERT_EQ(timers.size(), 1u);
            EXPECT_EQ(timers[0]["id"], 300);
            EXPECT_EQ(timers[0]["period"], c.period);
            // Visible, centred on the 1024 x 768 screen, until the user's Cancel.
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0]["caption"], "Vantrel");
            EXPECT_EQ(shown[0]["buttons"], nlohmann::json({1, 2}));
            const int width = shown[0]["width"], height = shown[0]["height"];
            EXPECT_EQ(shown[0]["x"], (1024 - width) / 2);
            EXPECT_EQ(shown[0]["y"], (768 - height) / 2);
            EXPECT_EQ(ended[0]["result"], win::IDCANCEL);
            EXPECT_TRUE(ended[0]["shown"].get<bool>());
        }
    }
}

TEST_F(DialogRunTest, TheUserEndsTheDialogBeforeTheFirstTick)
{
    struct Case {
        SimUserAction::Kind action;
        int result;
        std::size_t prompts; // the restart prompt is configured
    };
    const Case cases[] = {
        // action                         result          prompts
        {SimUserAction::Kind::Cancel, win::IDCANCEL, 0},
        {SimUserAction::Kind::Escape, win::IDCANCEL, 0},
        {SimUserAction::Kind::Close, win::IDCANCEL, 0},
        {SimUserAction::Kind::Ok, win::IDCANCEL, 1},    // the finish path: prompt, then IDCANCEL
        {SimUserAction::Kind::Enter, win::IDCANCEL, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ActionName(c.action));
        SimulatedRun run;
        run.WriteSettings("[Const]\nEnableTimer=1\nWaitTimer=100\nHotfixMustRebootMessage=1\n"
                          "AnotherAPNum=1\nAnotherAPXPx86Exe0=KB100.msu\n");
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.AddDataFile("D:\\KB100.msu");
        run.machine.shell.Associate(".msu", 33);
        run.machine.user.QueueAnswer(win::IDCANCEL);
        SimUserAction action;
        action.kind = c.action;
        run.machine.windows.AddUserAction(action);
        run.RunLauncher();
        EXPECT_EQ(run.Effects("timer_tick").size(), 0u);
        EXPECT_EQ(run.Effects("message_box").size(), c.prompts);
        ASSERT_EQ(run.Effects("dialog_ended").size(), 1u);
        EXPECT_EQ(run.Effects("dialog_ended")[0]["result"], c.result);
        EXPECT_EQ(run.Effects("exit_windows").size(), 0u);
    }
}

TEST_F(DialogRunTest, AfterTheFirstTickTheHiddenDialogCanNoLongerBeChosen)
{
    // The wait with no end: no foreign dialog ever appears, and the dialog is
    // hidden from the first tick on.
    PrepareMedium("EnableTimer=1\nWaitTimer=100\n");
    Action(SimUserAction::Kind::Cancel, 1);
    machine.windows.SetTickBudget(5);
    RunLauncher();
    const auto actions = Effects("user_action");
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_FALSE(actions[0]["done"].get<bool>());
    EXPECT_EQ(Count("dialog_ended"), 0u);
    EXPECT_TRUE(machine.windows.GaveUp());
    EXPECT_EQ(Count("timer_tick"), 5u);
}

TEST_F(DialogRunTest, RestartPrompt)
{
    struct Case {
        const char* label;
        const char* settings;
        int answer;
        const char* text;    // null: no prompt
        const char* caption;
        bool restart;
        int result;
    };
    const Case cases[] = {
        // label               settings                                           answer text  caption restart result
        {"no prompt", "", 1, nullptr, nullptr, false, win::IDOK},
        {"defaults, OK", "HotfixMustRebootMessage=1\n", win::IDOK,
         "Please Reboot your computer.", "SetupDrv", true, win::IDCANCEL},
        {"defaults, Cancel", "HotfixMustRebootMessage=1\n", win::IDCANCEL,
         "Please Reboot your computer.", "SetupDrv", false, win::IDCANCEL},
        {"own texts, any nonzero switch", "HotfixMustRebootMessage=7\nHotfixReBoot=Restart now?\nSetup=Vantrel Setup\n",
         win::IDOK, "Restart now?", "Vantrel Setup", true, win::IDCANCEL},
        {"a box that failed to show", "HotfixMustRebootMessage=1\n", 0,
         "Please Reboot your computer.", "SetupDrv", false, win::IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SimulatedRun run;
        // No package: the finish path runs inside the initialisation, so the
        // prompt comes before the dialog was ever shown.
        run.WriteSettings(std::string("[Const]\n") + c.settings);
        run.AddProgram("D:\\XP_x86\\SetupDrv.exe");
        run.machine.user.QueueAnswer(c.answer);
        run.RunLauncher();
        const auto boxes = run.Effects("message_box");
        if (c.text == nullptr) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0]["text"], c.text);
            EXPECT_EQ(boxes[0]["caption"], c.caption);
            EXPECT_EQ(boxes[0]["style"], win::MB_OKCANCEL);
            EXPECT_EQ(boxes[0]["owner"], "window"); // owned by the dialog
        }
        EXPECT_EQ(run.Effects("exit_windows").size(), c.restart ? 1u : 0u);
        EXPECT_EQ(run.Effects("dialog_shown").size(), 0u);
        ASSERT_EQ(run.Effects("dialog_ended").size(), 1u);
        EXPECT_EQ(run.Effects("dialog_ended")[0]["result"], c.result);
    }
}

TEST_F(DialogRunTest, RestartEnablesTheShutdownPrivilegeThenAsksForTheRestart)
{
    PrepareMedium("HotfixMustRebootMessage=1\n", false);
    RunLauncher();
    Strings calls;
    for (const auto& effect : machine.trace.Effects()) {
        const std::string kind = effect["effect"];
        if (kind == "privilege")
            calls.push_back(effect["call"]);
        else if (kind == "exit_windows" || kind == "close_handle" || kind == "end_dialog")
            calls.push_back(kind);
    }
    EXPECT_EQ(calls, (Strings{"LookupPrivilegeValueA", "OpenProcessToken", "AdjustTokenPrivileges",
                              "exit_windows", "close_handle", "end_dialog"}));
    const auto privileges = Effects("privilege");
    EXPECT_EQ(privileges[0]["name"], "SeShutdownPrivilege");
    EXPECT_TRUE(privileges[0]["system"].is_null());
    EXPECT_EQ(privileges[1]["access"], 0xF01FF);
    EXPECT_EQ(privileges[2]["disable_all"], false);
    EXPECT_EQ(privileges[2]["buffer_length"], 0);
    EXPECT_EQ(privileges[2]["privileges"],
              nlohmann::json::parse(R"([{"name": "SeShutdownPrivilege", "attributes": 2}])"));
    const auto exit = Effects("exit_windows");
    EXPECT_EQ(exit[0]["flags"], 2);
    EXPECT_EQ(exit[0]["reason"], 0);
    EXPECT_TRUE(exit[0]["result"].get<bool>());
    EXPECT_EQ(machine.security.OpenTokens(), 0);
}

TEST_F(DialogRunTest, WithoutATokenTheRestartIsStillAskedFor)
{
    PrepareMedium("HotfixMustRebootMessage=1\n", false);
    machine.security.openTokenError = win::ERROR_ACCESS_DENIED;
    RunLauncher();
    const auto privileges = Effects("privilege");
    ASSERT_EQ(privileges.size(), 2u); // nothing to adjust without a token
    EXPECT_EQ(privileges[1]["call"], "OpenProcessToken");
    const auto exit = Effects("exit_windows");
    ASSERT_EQ(exit.size(), 1u);
    // The privilege was never enabled: the system refuses.
    EXPECT_FALSE(exit[0]["result"].get<bool>());
    EXPECT_EQ(Count("close_handle"), 0u);
    EXPECT_EQ(Effects("dialog_ended")[0]["result"], win::IDCANCEL);
}

TEST_F(DialogRunTest, ATickDuringTheRestartPromptCanPromptAgain)
{
    // The user's OK while the timer runs: a tick arrives while the prompt is
    // open, hides the dialog, scans, presses an ID-2 button and enters the
    // finish path a second time, with a second prompt over the first.
    PrepareMedium("EnableTimer=1\nWaitTimer=100\nHotfixMustRebootMessage=1\n");
    SimWindowSpec update = MarkerStatic("Update", {2});
    update.onShellOpen = true;
    machine.windows.AddWindow(update);
    Action(SimUserAction::Kind::Ok);
    machine.user.QueueAnswer(win::IDCANCEL, 1); // the first prompt waits for one tick
    machine.user.QueueAnswer(win::IDOK);
    RunLauncher();
    ASSERT_EQ(Count("message_box"), 2u);
    const int first = IndexOf("message_box", 0);
    const int tick = IndexOf("timer_tick");
    const int hide = IndexOf("show_window");
    const int press = IndexOf("post_message");
    const int second = IndexOf("message_box", 1);
    EXPECT_LT(first, tick);
    EXPECT_LT(tick, hide);
    EXPECT_LT(hide, press);
    EXPECT_LT(press, second);
    EXPECT_EQ(Count("timer_tick"), 1u) << "the scan killed the timer";
    // The inner prompt's OK requests the restart; both paths end the dialog.
    EXPECT_EQ(Count("exit_windows"), 1u);
    EXPECT_EQ(Count("end_dialog"), 2u);
    EXPECT_EQ(Effects("dialog_ended")[0]["result"], win::IDCANCEL);
}

TEST_F(DialogRunTest, TheMinimisedIconIsCentredWithTruncationTowardZero)
{
    struct Case {
        win::LONG width, height;
        int x, y;
    };
    const Case cases[] = {
        // client width, height  x   y     (32 x 32 icon)
        {36, 36, 2, 2},
        {35, 35, 2, 2},
        {37, 37, 3, 3},
        {20, 20, -5, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        SimulatedRun run;
        PrepareUpdateMedium(run, "EnableTimer=1\nWaitTimer=100\n");
        SimUserAction minimize;
        minimize.kind = SimUserAction::Kind::Minimize;
        minimize.clientWidth = c.width;
        minimize.clientHeight = c.height;
        run.machine.windows.AddUserAction(minimize);
        SimUserAction cancel;
        cancel.kind = SimUserAction::Kind::Cancel;
        run.machine.windows.AddUserAction(cancel);
        run.RunLauncher();

        Strings order;
        for (const auto& effect : run.machine.trace.Effects()) {
            const std::string kind = effect["effect"];
            if (kind == "begin_paint" || kind == "draw_icon" || kind == "end_paint")
                order.push_back(kind);
            else if (kind == "send_message" && effect["message"] == "WM_ICONERASEBKGND")
                order.push_back("erase background on " + effect["wparam"].get<std::string>());
        }
        EXPECT_EQ(order, (Strings{"begin_paint", "erase background on paint dc", "draw_icon",
                                  "end_paint"}));
        const auto draw = run.Effects("draw_icon");
        ASSERT_EQ(draw.size(), 1u);
        EXPECT_EQ(draw[0]["x"], c.x);
        EXPECT_EQ(draw[0]["y"], c.y);
        EXPECT_EQ(draw[0]["icon"], "icon 128");
    }
}

namespace {

// Sends the dialog the messages that nothing in a run sends it, from inside
// its initialisation, and keeps the answers.
class ProbedDialog : public CLauncherDlg {
public:
    win::BOOL OnInitDialog() override
    {
        dragIcon = SendMessage(win::WM_QUERYDRAGICON);
        SendMessage(win::WM_COMMAND, ID_HELP);
        return CLauncherDlg::OnInitDialog();
    }
    win::LRESULT dragIcon = 0;
    win::HICON Icon() const { return m_hIcon; }
};

} // namespace

TEST_F(DialogRunTest, FrameworkRoutesTheDragIconQueryAndTheHelpCommand)
{
    PrepareMedium("", false);
    CLauncherApp app(machine);
    ProbedDialog dialog;
    app.m_pMainWnd = &dialog;
    dialog.DoModal();
    ASSERT_NE(dialog.Icon(), nullptr);
    EXPECT_EQ(dialog.dragIcon, reinterpret_cast<win::LRESULT>(dialog.Icon()));
    // The dialog has no Help entry: the command reaches the application's.
    const auto help = Effects("win_help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0]["file"], "D:\\Setup.HLP");
    EXPECT_EQ(help[0]["command"], win::HELP_FINDER);
    EXPECT_EQ(help[0]["window"]["dialog"], "Vantrel");
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the dialog manager destroyed the window";
    app.m_pMainWnd = nullptr;
}

TEST_F(DialogRunTest, UnknownCommandsAndNotificationsFallToDefaultProcessing)
{
    PrepareMedium("", false);
    CLauncherApp app(machine);
    CLauncherDlg dialog;
    win::LRESULT result = 1;
    // A control notification other than a click is no command.
    EXPECT_FALSE(dialog.WindowProc(win::WM_COMMAND, (1u << 16) | win::IDOK, 0, result));
    EXPECT_FALSE(dialog.WindowProc(win::WM_COMMAND, 0x1234, 0, result));
    EXPECT_FALSE(dialog.WindowProc(win::WM_CLOSE, 0, 0, result));
    EXPECT_TRUE(dialog.WindowProc(win::WM_COMMAND, ID_HELP, 0, result));
    EXPECT_EQ(Count("win_help"), 1u);
    EXPECT_EQ(Count("end_dialog"), 0u);
}

// The scenario sections of the window manager are read strictly.
#include <string>

#include <gtest/gtest.h>

#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedMachine.h"

TEST(WindowScenario, RefusesUnknownKeysAndWrongTypesNamingThePath)
{
    struct Case {
        const char* scenario;
        const char* error; // null: accepted
    };
    const Case cases[] = {
        // scenario                                                     error
        {R"({"windows": [{"class": "#32770", "text": "U", "children": [{"class": "Button", "id": 1}]}],
             "user_actions": {"dialog": [{"action": "ok", "after_ticks": 2}],
                              "message_boxes": [1, {"answer": 2, "ticks_before": 1}],
                              "tick_budget": 10}})", nullptr},
        {R"({"windows": {}})", "windows: must be an array"},
        {R"({"windows": [{"text": "U"}]})", "windows[0].class: is required"},
        {R"({"windows": [{"class": "#32770", "klass": 1}]})", "windows[0].klass: unknown key"},
        {R"({"windows": [{"class": "#32770", "id": "1"}]})", "windows[0].id: must be an integer"},
        {R"({"windows": [{"class": "#32770", "hidden": 1}]})", "windows[0].hidden: must be true or false"},
        {R"({"windows": [{"class": "#32770", "children": [{"class": "Button", "after_ticks": 1}]}]})",
         "windows[0].children[0].after_ticks: unknown key"},
        {R"({"windows": [{"class": "#32770", "children": [{"class": "Button", "children": [{"id": 2}]}]}]})",
         "windows[0].children[0].children[0].class: is required"},
        {R"({"windows": [{"class": "#32770", "vanish_after_finds": 0}]})",
         "windows[0].vanish_after_finds: must lie between 1 and 1000000"},
        {R"({"user_actions": []})", "user_actions: must be an object"},
        {R"({"user_actions": {"answers": []}})", "user_actions.answers: unknown key"},
        {R"({"user_actions": {"dialog": [{"action": "push"}]}})",
         "user_actions.dialog[0].action: unknown action \"push\""},
        {R"({"user_actions": {"dialog": [{"action": "ok", "after_ticks": -1}]}})",
         "user_actions.dialog[0].after_ticks: must lie between 0 and 1000000"},
        {R"({"user_actions": {"dialog": [{"action": "minimize"}]}})",
         "user_actions.dialog[0].client: is required for \"minimize\""},
        {R"({"user_actions": {"dialog": [{"action": "ok", "client": [1, 2]}]}})",
         "user_actions.dialog[0].client: only \"minimize\" takes a client size"},
        {R"({"user_actions": {"message_boxes": [{"ticks_before": 1}]}})",
         "user_actions.message_boxes[0].answer: is required"},
        {R"({"user_actions": {"message_boxes": ["OK"]}})",
         "user_actions.message_boxes[0]: must be an object"},
        {R"({"user_actions": {"tick_budget": 0}})",
         "user_actions.tick_budget: must lie between 1 and 1000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        SimulatedMachine machine;
        std::string error;
        const bool loaded = LoadScenario(nlohmann::json::parse(c.scenario), ".", machine, error);
        if (c.error == nullptr) {
            EXPECT_TRUE(loaded) << error;
        } else {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(error, c.error);
        }
    }
}

TEST(WindowScenario, WindowsOfTheScenarioLieInItsOrderTopmostFirst)
{
    SimulatedMachine machine;
    std::string error;
    ASSERT_TRUE(LoadScenario(nlohmann::json::parse(R"({"windows": [
        {"class": "#32770", "text": "A", "children": [{"class": "Static", "id": 5},
                                                       {"class": "Button", "id": 1}]},
        {"class": "Other", "text": "B"},
        {"class": "#32770", "text": "C", "hidden": true}]})"),
                             ".", machine, error))
        << error;
    const win::HWND desktop = machine.GetDesktopWindow();
    win::HWND a = machine.FindWindowExA(desktop, nullptr, "#32770", nullptr);
    win::HWND c = machine.FindWindowExA(desktop, a, "#32770", nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(machine.FindWindowExA(desktop, c, "#32770", nullptr), nullptr);
    EXPECT_FALSE(machine.IsWindowVisible(c));
    // Classes are found without regard to letter case, and read back as given.
    win::HWND other = machine.FindWindowExA(nullptr, nullptr, "OTHER", nullptr);
    char name[128];
    EXPECT_EQ(machine.GetClassNameA(other, name, sizeof name), 5);
    EXPECT_STREQ(name, "Other");
    EXPECT_EQ(machine.GetClassNameA(other, name, 3), 2);
    EXPECT_STREQ(name, "Ot");
    const win::HWND first = machine.GetWindow(a, 5 /* GW_CHILD */);
    EXPECT_EQ(machine.GetWindowLongA(first, -12 /* GWL_ID */), 5);
    const win::HWND last = machine.GetWindow(first, 1 /* GW_HWNDLAST */);
    EXPECT_EQ(machine.GetWindowLongA(last, -12), 1);
    EXPECT_EQ(machine.GetWindow(last, 5), nullptr);
    // A handle that names no window.
    EXPECT_EQ(machine.GetClassNameA(reinterpret_cast<win::HWND>(std::uintptr_t(0x99999)), name, 128), 0);
    EXPECT_EQ(machine.GetLastError(), 1400u);
}

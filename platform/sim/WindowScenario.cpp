#include "platform/sim/WindowScenario.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

#include "platform/sim/SimulatedMachine.h"

namespace {

using nlohmann::json;

[[noreturn]] void Refuse(const std::string& path, const std::string& why)
{
    throw std::runtime_error(path + ": " + why);
}

void ExpectObject(const json& value, const std::string& path)
{
    if (!value.is_object())
        Refuse(path, "must be an object");
}

void ExpectArray(const json& value, const std::string& path)
{
    if (!value.is_array())
        Refuse(path, "must be an array");
}

void OnlyKeys(const json& object, const std::string& path, std::initializer_list<const char*> keys)
{
    for (const auto& [key, value] : object.items()) {
        bool known = false;
        for (const char* k : keys)
            known = known || key == k;
        if (!known)
            Refuse(path + "." + key, "unknown key");
    }
}

std::string Text(const json& object, const char* key, const std::string& path, const char* fallback)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        if (fallback == nullptr)
            Refuse(path + "." + key, "is required");
        return fallback;
    }
    if (!found->is_string())
        Refuse(path + "." + key, "must be a string");
    return found->get<std::string>();
}

long long Integer(const json& object, const char* key, const std::string& path, long long fallback,
                  long long low, long long high)
{
    const auto found = object.find(key);
    if (found == object.end())
        return fallback;
    if (!found->is_number_integer())
        Refuse(path + "." + key, "must be an integer");
    const long long value = found->get<long long>();
    if (value < low || value > high)
        Refuse(path + "." + key, "must lie between " + std::to_string(low) + " and " +
                                     std::to_string(high));
    return value;
}

bool Flag(const json& object, const char* key, const std::string& path)
{
    const auto found = object.find(key);
    if (found == object.end())
        return false;
    if (!found->is_boolean())
        Refuse(path + "." + key, "must be true or false");
    return found->get<bool>();
}

SimWindowSpec ParseWindow(const json& spec, const std::string& path, bool topLevel)
{
    ExpectObject(spec, path);
    if (topLevel)
        OnlyKeys(spec, path, {"class", "text", "id", "hidden", "disabled", "children", "process",
                              "after_ticks", "on_shell_open", "after_closed", "vanish_after_finds"});
    else
        OnlyKeys(spec, path, {"class", "text", "id", "hidden", "disabled", "children"});
    SimWindowSpec window;
    window.className = Text(spec, "class", path, nullptr);
    window.text = Text(spec, "text", path, "");
    window.id = static_cast<win::LONG>(Integer(spec, "id", path, 0, INT32_MIN, UINT32_MAX));
    window.hidden = Flag(spec, "hidden", path);
    window.disabled = Flag(spec, "disabled", path);
    if (topLevel) {
        window.process = Text(spec, "process", path, "foreign");
        window.afterTicks = static_cast<int>(Integer(spec, "after_ticks", path, 0, 0, 1000000));
        window.onShellOpen = Flag(spec, "on_shell_open", path);
        window.afterClosed = Text(spec, "after_closed", path, "");
        window.vanishAfterFinds =
            static_cast<int>(Integer(spec, "vanish_after_finds", path, 0, 1, 1000000));
    }
    const auto children = spec.find("children");
    if (children != spec.end()) {
        ExpectArray(*children, path + ".children");
        for (std::size_t i = 0; i < children->size(); ++i)
            window.children.push_back(ParseWindow((*children)[i],
                                                  path + ".children[" + std::to_string(i) + "]",
                                                  false));
    }
    return window;
}

SimUserAction ParseAction(const json& spec, const std::string& path)
{
    ExpectObject(spec, path);
    OnlyKeys(spec, path, {"action", "after_ticks", "client"});
    static const std::pair<const char*, SimUserAction::Kind> kinds[] = {
        {"ok", SimUserAction::Kind::Ok},         {"cancel", SimUserAction::Kind::Cancel},
        {"enter", SimUserAction::Kind::Enter},   {"escape", SimUserAction::Kind::Escape},
        {"close", SimUserAction::Kind::Close},   {"minimize", SimUserAction::Kind::Minimize}};
    const std::string name = Text(spec, "action", path, nullptr);
    SimUserAction action;
    bool known = false;
    for (const auto& [text, kind] : kinds) {
        if (name == text) {
            action.kind = kind;
            known = true;
        }
    }
    if (!known)
        Refuse(path + ".action", "unknown action \"" + name + "\"");
    action.afterTicks = static_cast<int>(Integer(spec, "after_ticks", path, 0, 0, 1000000));
    const auto client = spec.find("client");
    if (action.kind == SimUserAction::Kind::Minimize) {
        if (client == spec.end())
            Refuse(path + ".client", "is required for \"minimize\"");
        if (!client->is_array() || client->size() != 2 || !(*client)[0].is_number_integer() ||
            !(*client)[1].is_number_integer())
            Refuse(path + ".client", "must be [width, height] in integers");
        action.clientWidth = (*client)[0].get<win::LONG>();
        action.clientHeight = (*client)[1].get<win::LONG>();
    } else if (client != spec.end()) {
        Refuse(path + ".client", "only \"minimize\" takes a client size");
    }
    return action;
}

} // namespace

void LoadWindowSections(const json& scenario, SimulatedMachine& machine)
{
    const auto windows = scenario.find("windows");
    if (windows != scenario.end()) {
        ExpectArray(*windows, "windows");
        for (std::size_t i = 0; i < windows->size(); ++i)
            machine.windows.AddWindow(
                ParseWindow((*windows)[i], "windows[" + std::to_string(i) + "]", true));
    }
    const auto actions = scenario.find("user_actions");
    if (actions == scenario.end())
        return;
    ExpectObject(*actions, "user_actions");
    OnlyKeys(*actions, "user_actions", {"dialog", "message_boxes", "tick_budget"});
    const auto dialog = actions->find("dialog");
    if (dialog != actions->end()) {
        ExpectArray(*dialog, "user_actions.dialog");
        for (std::size_t i = 0; i < dialog->size(); ++i)
            machine.windows.AddUserAction(
                ParseAction((*dialog)[i], "user_actions.dialog[" + std::to_string(i) + "]"));
    }
    const auto boxes = actions->find("message_boxes");
    if (boxes != actions->end()) {
        ExpectArray(*boxes, "user_actions.message_boxes");
        for (std::size_t i = 0; i < boxes->size(); ++i) {
            const std::string path = "user_actions.message_boxes[" + std::to_string(i) + "]";
            const json& box = (*boxes)[i];
            if (box.is_number_integer()) {
                machine.user.QueueAnswer(box.get<int>());
                continue;
            }
            ExpectObject(box, path);
            OnlyKeys(box, path, {"answer", "ticks_before"});
            if (!box.contains("answer"))
                Refuse(path + ".answer", "is required");
            machine.user.QueueAnswer(static_cast<int>(Integer(box, "answer", path, 1, 0, 65535)),
                                     static_cast<int>(Integer(box, "ticks_before", path, 0, 0,
                                                              1000000)));
        }
    }
    machine.windows.SetTickBudget(
        static_cast<int>(Integer(*actions, "tick_budget", "user_actions", 200, 1, 1000000)));
}

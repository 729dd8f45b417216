// The scenario sections of the window manager, read strictly: an unknown key
// or a value of the wrong type is refused with the path of the key.
//
//   "windows": [                         // top-level windows of other processes
//     {"class": "#32770", "text": "Update", "process": "wusa",
//      "hidden": false, "disabled": false,
//      "after_ticks": 0,                 // appears once this many ticks were delivered
//      "on_shell_open": true,            // ... and once the shell has opened a file
//      "after_closed": "Other",          // ... and once the window "Other" has closed
//      "vanish_after_finds": 1,          // gone right after FindWindowExA found it so often
//      "children": [{"class": "Static", "id": 51966, "text": "", "children": []},
//                   {"class": "Button", "id": 1, "text": "OK"}]}
//   ],
//   "user_actions": {
//     "dialog": [{"action": "cancel", "after_ticks": 0},   // ok, cancel, enter, escape, close
//                {"action": "minimize", "after_ticks": 0, "client": [36, 36]}],
//     "message_boxes": [1, {"answer": 2, "ticks_before": 3}],  // after "answers"
//     "tick_budget": 200
//   }
#pragma once

#include <nlohmann/json.hpp>

class SimulatedMachine;

// Throws std::runtime_error naming the key path of the first fault.
void LoadWindowSections(const nlohmann::json& scenario, SimulatedMachine& machine);

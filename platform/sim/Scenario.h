// Builds a simulated machine from a scenario (JSON). Every key is checked:
// an unknown key, a value of the wrong kind, or data that its registry type
// cannot hold refuses the whole scenario with a message that names the key
// and its place. Texts are UTF-8 in the scenario and become bytes of the
// machine's ANSI code page.
//
// The top-level keys (applied in this order, whatever their order in the file):
// {
//   "code_page": 950,                    // 1252 (default), 932, 936, 949, 950
//   "system": {"name": "7 SP1", "bits": 64},   // a named system, see NamedSystems.h
//   "version":  {"platform": 2, "major": 6, "minor": 1, "build": 7601,
//                "service_pack": "Service Pack 1"},          // or "available": false;
//                                        // the raw record, over a named system's
//   "wow64": true,                       // a 32-bit program on 64-bit Windows
//   "program":  "D:\\Setup.exe",
//   "command_line": "\"D:\\Setup.exe\" silence",              // optional
//   "current_folder": "C:\\",                                 // optional
//   "registry": {                        // HKLM as this 32-bit program sees it
//     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion": {
//       "ProgramFilesDir (x86)": {"type": "REG_SZ", "data": "C:\\Program Files (x86)"},
//       "FinishInstall": {"type": "REG_DWORD", "data": 1},
//       "List": {"type": "REG_MULTI_SZ", "data": ["a", "b"]},
//       "Short": {"type": "REG_DWORD", "hex": "0100"}         // raw bytes, any type
//     }
//   },
//   "registry_native": {...},            // the native view of a 64-bit machine
//   "files": {
//     "D:\\Setting.ini": {"text": "[Const]\n..."},             // or {"text_file": "rel/path"}
//     "D:\\XP_x86\\SetupDrv.exe": {"program": {"exit_code": 0}},
//     "D:\\Bad.exe": {"program": {"start_error": 5}},
//     "D:\\KB100.msu": {}
//   },
//   "folders": ["D:\\Empty"],
//   "shell": {".msu": 42,                // what the shell returns per extension, or
//             ".cab": {"handler": "C:\\Tools\\Open.exe", "result": 33}},
//                                        // the program it starts and its answer then
//   "answers": [1, 2],                   // message-box answers, in order
//   "devices": {...},                    // the device tree: see SimDeviceTree.h
//   "capture": {...}                     // capture devices: see SimCapture.h
// }
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/SimulatedMachine.h"

// False, with `error` set, when the scenario is malformed. `baseFolder` is where
// "text_file" paths are taken from.
bool LoadScenario(const nlohmann::json& scenario, const std::string& baseFolder,
                  SimulatedMachine& machine, std::string& error);

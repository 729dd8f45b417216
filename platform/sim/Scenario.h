// Builds a simulated machine from a scenario (JSON):
//
// {
//   "version":  {"platform": 2, "major": 6, "minor": 1, "build": 7601,
//                "service_pack": "Service Pack 1"},          // or "available": false
//   "program":  "D:\\Setup.exe",
//   "command_line": "\"D:\\Setup.exe\" silence",              // optional
//   "current_folder": "C:\\",                                 // optional
//   "wow64": true,                       // a 32-bit program on 64-bit Windows
//   "registry": {                        // beneath HKEY_LOCAL_MACHINE
//     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion": {
//       "ProgramFilesDir (x86)": {"type": "REG_SZ", "data": "C:\\Program Files (x86)"},
//       "FinishInstall": {"type": "REG_DWORD", "data": 1},
//       "Short": {"type": "REG_BINARY", "hex": "0100"}
//     }
//   },
//   "files": {
//     "D:\\Setting.ini": {"text": "[Const]\n..."},             // or {"text_file": "rel/path"}
//     "D:\\XP_x86\\SetupDrv.exe": {"program": {"exit_code": 0}},
//     "D:\\Bad.exe": {"program": {"start_error": 5}},
//     "D:\\KB100.msu": {}
//   },
//   "folders": ["D:\\Empty"],
//   "shell": {".msu": 42},               // what the shell returns per extension
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

// A dry run of Setup.exe: the medium laid out on a simulated machine, the real
// launcher run on it, and its effect trace told step by step in plain words.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/authoring/Medium.h"
#include "tools/authoring/NamedSystems.h"

struct PreviewOptions {
    // Where Setup.exe lies on the target; else the scenario's, else D:\Setup.exe.
    std::optional<std::string> programPath;
    bool silenceArgument = false;              // started as "Setup.exe silence"
    std::optional<bool> finishMark;            // the driver installer left FinishInstall=1
    std::vector<int> answers;                  // message-box answers, in order
    // The device state: a capture device (by friendly name) with register
    // values, and the device nodes present by first hardware ID.
    std::optional<std::string> captureName;
    std::vector<std::pair<int, int>> registers;
    std::vector<std::string> presentHardwareIds;
    std::vector<std::string> absentHardwareIds;
    // Foreign dialogs that the update package's handler shows once the shell
    // has opened it, in the order it makes them (the last made lies topmost).
    struct ForeignDialog {
        std::string layout;            // marker_static, marker_edit, decoy_static_id, decoy_edit_direct
        std::vector<int> buttons{1};   // IDs of its buttons, in child order
        std::string caption = "Update";
        std::string after;             // shown only once the dialog with this caption has closed
    };
    std::vector<ForeignDialog> foreignDialogs;
};

// A --foreign-dialog text, LAYOUT[:ID,ID...[:CAPTION[:AFTER]]]. False, with
// `error` set, for an unknown layout or a button ID that is no number.
bool ParseForeignDialog(const std::string& text, PreviewOptions::ForeignDialog& dialog, std::string& error);

// The scenario that stands for the medium on the target: `base` (a named
// system's members, or a scenario file's contents) with the medium's files
// laid out beside Setup.exe and the options applied.
nlohmann::json BuildScenario(const Medium* medium, const nlohmann::json& base,
                             const PreviewOptions& options);

struct PreviewStep {
    std::string heading;               // "Driver installer"
    std::vector<std::string> lines;    // what happens, in order
};

struct PreviewReport {
    std::string target;                // "Windows Vista SP1, 32-bit"
    std::string traceJsonLines;        // the effect trace
    std::vector<PreviewStep> steps;
    std::vector<std::string> warnings;
    // One short cell per matrix row, in row order, with what it is about
    // (the installer or package it names; may be empty).
    struct Cell {
        std::string row, value, subject;
    };
    std::vector<Cell> cells;
};

// Runs the launcher on the machine the scenario describes. False, with
// `error` set, when the scenario is malformed. `medium` (may be null) lets the
// report say which files the medium lacks.
bool RunPreview(const nlohmann::json& scenario, const std::string& baseFolder, const Medium* medium,
                const std::string& target, PreviewReport& report, std::string& error);

// The report as text: one run, or the matrix of several side by side.
std::string FormatReport(const PreviewReport& report);
std::string FormatMatrix(const std::vector<PreviewReport>& reports, const std::vector<std::string>& names);

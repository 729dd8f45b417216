// The checks of "Setting.ini" against the launcher's reading of it and against
// the medium's files.
#pragma once

#include <string>
#include <vector>

#include "tools/authoring/Medium.h"

struct Diagnostic {
    enum class Severity { Warning, Error };
    Severity severity = Severity::Warning;
    int line = 0;  // 0: the file as a whole
    std::string message;
};

struct CheckOptions {
    // The program folder the command lengths are measured with: the medium at
    // the root of a drive unless told otherwise.
    std::string programFolder = "D:";

};

// All findings, ordered by line (those of the whole file last).
std::vector<Diagnostic> CheckSettings(const Medium& medium, const CheckOptions& options,
                                      bool checkFiles = true);

// "Setting.ini:12: warning: ..." (or without the line number).
std::string FormatDiagnostic(const std::string& fileShown, const Diagnostic& diagnostic);

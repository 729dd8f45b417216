// An installation medium as it lies on disk: its "Setting.ini" and the names of
// all its files, for the authoring tools to check and to lay out on the
// simulated machine.
#pragma once

#include <string>
#include <vector>

struct Medium {
    std::string folder;         // as the user named it
    std::string settingsShown;  // how diagnostics name "Setting.ini"
    bool hasSettings = false;
    std::string settingsText;
    // Every file beneath the folder, as a relative Windows path ("Tools\Player.exe").
    std::vector<std::string> files;

    // Whether `relativePath` names a file of the medium, with Windows' rules:
    // letter case does not count, "/" stands for "\".
    bool Has(const std::string& relativePath) const;
    // The file's name as it is spelt on the medium; empty when absent.
    std::string Spelling(const std::string& relativePath) const;
};

// Reads the medium at `argument`: a folder, or a "Setting.ini" file whose
// folder is the medium. False, with `error` set, when it is missing or
// unreadable. A folder without "Setting.ini" is a medium without settings.
bool LoadMedium(const std::string& argument, Medium& medium, std::string& error);

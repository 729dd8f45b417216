// "Setting.ini" read by the launcher's own reader on the simulated machine, so
// that the tools see exactly the values a run would see.
#pragma once

#include <string>
#include <vector>

#include "settings/LauncherSettings.h"

struct LauncherReading {
    LauncherSettings settings = {};
    std::int32_t silent = 0;            // from "SilenceMode" (no "silence" on the command line)
    std::vector<std::string> keysRead;  // in the launcher's reading order
};

// Reads `iniText` as "Setting.ini" of a medium whose program folder is
// `programFolder` (such as "D:").
LauncherReading ReadAsLauncher(const std::string& iniText, const std::string& programFolder = "D:");

// Every key the launcher can ever read, in its reading order: all indexes of
// the lists, up to their capacities.
const std::vector<std::string>& AllLauncherKeys();

// The value GetPrivateProfileStringA delivers for `key` of section "Const"
// before it is cut to the launcher's buffer; false when the key is absent.
bool RawProfileValue(const std::string& iniText, const std::string& key, std::string& value);

// GetPrivateProfileStringA's reading of one profile (INI) file, for a given
// section and key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/CodePage.h"

// The value of `key` in `section` of the profile text, as GetPrivateProfileStringA
// finds it: section and key names compare without regard to letter case, blanks
// around names, around "=" and at the ends of a value are dropped, one pair of
// matching quotes around a value is dropped, lines that begin with ";" are
// comments, and the first section and key of a name count. None when absent.
// Names are not paths: "/" and "\" are ordinary characters in them, and the
// letter case rules are those of the ANSI code page.
std::optional<std::string> FindProfileValue(std::string_view fileText, std::string_view section,
                                            std::string_view key,
                                            unsigned codePage = codepage::kWestern);

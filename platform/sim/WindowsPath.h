// Windows rules for file paths on the simulated machine: names compare
// without regard to letter case (by the rules of the system's ANSI code
// page), "/" stands for "\", "." and ".." parts are resolved and trailing
// dots and blanks dropped as Win32 path normalisation does, and a path of
// MAX_PATH characters or more reaches no file. Separators are found by
// characters of the code page, never inside a double-byte character.
//
// These rules are for file paths only: registry and profile names compare
// without letter case but are not paths (see codepage::FoldCase).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/sim/CodePage.h"

namespace winpath {

// MAX_PATH, the terminator included: a path of 260 characters does not fit.
constexpr std::size_t kMaxPath = 260;

// The form in which two paths that Windows takes as the same compare equal:
// normalised, folded, without a trailing separator.
std::string Fold(std::string_view path, unsigned codePage = codepage::kWestern);

// Win32 path normalisation (as GetFullPathName does it, without the current
// folder): "/" becomes "\", runs of separators become one, "." parts go,
// ".." parts take the part before them away (never the root), a part that
// is not the last loses one trailing ".", and the last part loses all its
// trailing dots and blanks. A part of three or more dots is a name.
std::string Normalize(std::string_view path, unsigned codePage = codepage::kWestern);

// "C:\..." or "\\server\...".
bool IsAbsolute(std::string_view path);

// Everything before the last separator; empty when there is none.
std::string Parent(std::string_view path, unsigned codePage = codepage::kWestern);

// Everything after the last separator.
std::string FileName(std::string_view path, unsigned codePage = codepage::kWestern);

// `name` taken relative to `folder` unless it is absolute already.
std::string Resolve(std::string_view folder, std::string_view name);

// `name` relative to `folder`, normalised: the path the system opens.
std::string FullPath(std::string_view folder, std::string_view name,
                     unsigned codePage = codepage::kWestern);

// The full path does not fit MAX_PATH.
bool TooLong(std::string_view fullPath);

} // namespace winpath

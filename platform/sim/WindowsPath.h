// Windows path rules the simulated machine needs: names compare without regard
// to letter case, and "/" stands for "\".
#pragma once

#include <string>
#include <string_view>

namespace winpath {

// The form in which two paths that Windows takes as the same compare equal.
std::string Fold(std::string_view path);

// "C:\..." or "\\server\...".
bool IsAbsolute(std::string_view path);

// Everything before the last separator; empty when there is none.
std::string Parent(std::string_view path);

// Everything after the last separator.
std::string FileName(std::string_view path);

// `name` taken relative to `folder` unless it is absolute already.
std::string Resolve(std::string_view folder, std::string_view name);

} // namespace winpath

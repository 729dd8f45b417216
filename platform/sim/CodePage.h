// The system's ANSI code page of the simulated machine: which bytes begin a
// double-byte character, how names of the page compare without letter case,
// and the conversion between the page's bytes and the UTF-8 of scenarios and
// traces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace codepage {

constexpr unsigned kWestern = 1252;

// 1252 and the double-byte pages 932 (Japanese), 936 (Simplified Chinese),
// 949 (Korean) and 950 (Traditional Chinese).
bool IsSupported(unsigned codePage);

// IsDBCSLeadByteEx: the byte opens a two-byte character in this page.
bool IsLeadByte(unsigned codePage, std::uint8_t byte);

// The length in bytes of the character that starts at `at`: 2 for a lead
// byte followed by a trail byte, else 1 (a lead byte before the terminator
// stands alone, as CharNextA takes it).
std::size_t CharLength(unsigned codePage, std::string_view text, std::size_t at);

// The position of the last `c` (an ASCII character) that is a character of
// its own, never the trail byte of a double-byte one; npos when none.
std::size_t FindLast(unsigned codePage, std::string_view text, char c);
std::size_t FindLastOf(unsigned codePage, std::string_view text, std::string_view chars);

// The form in which two names compare equal when Windows takes them as the
// same regardless of letter case: ASCII letters, and in 1252 the accented
// Latin letters, fold to lower case; a trail byte of a double-byte
// character never folds.
std::string FoldCase(unsigned codePage, std::string_view name);

// UTF-8 to bytes of the page; none when a character has no form there.
std::optional<std::string> FromUtf8(unsigned codePage, std::string_view utf8);

// Bytes of the page to UTF-8; a byte that is no character of the page
// shows as U+FFFD.
std::string ToUtf8(unsigned codePage, std::string_view bytes);

} // namespace codepage

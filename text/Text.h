// Zero-terminated 8-bit texts in fixed buffers.
//
// Every operation that writes is told the buffer's capacity and refuses,
// leaving a defined result, rather than cut a text short: a path or command
// line that does not fit is never formed at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/Platform.h"

namespace text {

std::size_t Length(const char* s);

// Copies `source` into `out`. Returns false, with `out` empty, when it does not fit.
bool Copy(char* out, std::size_t capacity, const char* source);

// Appends `tail` to the text in `out`. Returns false, with `out` unchanged, when
// the result does not fit.
bool Append(char* out, std::size_t capacity, const char* tail);

// Joins `parts` into `out`. Returns false, with `out` empty, when the result does
// not fit or a part is missing (null).
bool Join(char* out, std::size_t capacity, std::initializer_list<const char*> parts);

template <std::size_t N> bool Copy(char (&out)[N], const char* source) { return Copy(out, N, source); }
template <std::size_t N> bool Append(char (&out)[N], const char* tail) { return Append(out, N, tail); }
template <std::size_t N> bool Join(char (&out)[N], std::initializer_list<const char*> parts) { return Join(out, N, parts); }

// Comparisons that ignore the letter case of ASCII letters.
bool EqualsIgnoreCase(const char* a, const char* b);
// Like _strnicmp(a, b, n) == 0: at most n characters, stopping at a terminator.
bool EqualsIgnoreCaseN(const char* a, const char* b, std::size_t n);

// The last occurrence of `c` in `s`, or null.
const char* FindLast(const char* s, char c);

// The last character of `s` that is one of `set` (ASCII characters), read by
// characters of the system's ANSI code page: the trail byte of a double-byte
// character (0x5C "\" among them in code pages 932, 936, 949 and 950) is
// never taken for one. Null when there is none.
const char* FindLastOf(Platform& os, const char* s, const char* set);

// atoi: leading white space, an optional sign, then decimal digits up to the
// first other character; no digits gives 0. Values beyond 32 bits saturate.
std::int32_t ToInt32(const char* s);

// Writes the decimal form of `value` ("%d").
void FormatInt(char (&out)[12], std::int32_t value);

} // namespace text

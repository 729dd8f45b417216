// The match rule of hardware IDs against the configured patterns.
#pragma once

#include "platform/Platform.h"

// The first hardware ID of a SPDRP_HARDWAREID list of `length` bytes begins
// with `pattern`, without regard to ASCII letter case. The list need not end
// with a terminator: nothing past its data is read. An empty pattern matches
// nothing, so that it never stands for every device of the system.
bool FirstHardwareIdMatches(const win::BYTE* ids, win::DWORD length, const char* pattern);

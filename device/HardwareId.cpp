#include "device/HardwareId.h"

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

bool FirstHardwareIdMatches(const win::BYTE* ids, win::DWORD length, const char* pattern)
{
    if (ids == nullptr || pattern == nullptr || pattern[0] == '\0')
        return false;
    win::DWORD i = 0;
    for (; pattern[i] != '\0'; ++i) {
        if (i >= length || ids[i] == 0)
            return false; // the hardware ID is shorter than the pattern
        if (Fold(static_cast<char>(ids[i])) != Fold(pattern[i]))
            return false;
    }
    return true;
}

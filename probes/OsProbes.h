// What the running Windows is: NT 6 or not, Vista SP1, Windows 7, 64-bit.
// Each probe answers 1 for yes and 0 for no and keeps no state.
#pragma once

#include "platform/Platform.h"

int DetectWinNT6(Platform& os);
int DetectVistaSP1(Platform& os);
int DetectWin7(Platform& os);
int Detect64BitOS(Platform& os);

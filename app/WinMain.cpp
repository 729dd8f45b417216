// The program on real Windows: the one static application object, run by the
// framework's entry.
#include "app/LauncherApp.h"
#include "platform/win32/Win32Platform.h"

#include <windows.h>

namespace {

Win32Platform g_windows;

} // namespace

CLauncherApp theApp(g_windows);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }

// Pure virtual calls can't happen in a finished object; this keeps the C++
// runtime's handler, and all it pulls in, out of the program.
extern "C" void __cxa_pure_virtual() { ::ExitProcess(3); }

#include "app/LauncherApp.h"

// The scan of present devices by hardware-ID pattern. Until the device tree
// is reachable through the platform interface, no device information set can
// be made: nothing is recorded and MatchedDeviceCount stays as it is.
int CLauncherApp::ScanDeviceIds() { return 0; }

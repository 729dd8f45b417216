#!/usr/bin/env bash
# Runs every test of the project on a Debian 12 machine, as root:
#   - the unit tests of the launcher on the simulated machine, plain and with
#     AddressSanitizer and UndefinedBehaviorSanitizer;
#   - the fuzz targets, each for a short bounded time (tools/fuzz.sh runs
#     them long);
#   - the checks of the built Setup.exe (PE header, imports, resources);
#   - the end-to-end runs of Setup.exe under Wine on test media.
# Installs what it needs first (see tools/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

started=$(date +%s)
for preset in native sanitize fuzz windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The sanitizers stop a test at the first fault.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
ctest --preset native -j2 || status=1
ctest --preset sanitize -j2 || status=1
ctest --preset fuzz -j2 || status=1
# The Wine cases mostly wait on Wine, so they overlap well beyond the cores.
ctest --preset windows -j4 || status=1

echo "Setup.exe: $(stat -c %s build/windows/Setup.exe) bytes"
echo "all tests took $(( $(date +%s) - started )) s"
exit $status

#!/usr/bin/env bash
# The main job: builds Setup.exe and runs it under Wine, on a virtual display,
# on the sample medium, printing what it did. Options go to tools/run_sample.py
# (--windows xp32|xp64|vista32|vista64|win7_64, --screenshot FILE.png).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
exec xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 tools/run_sample.py --build-dir build/windows "$@"

#!/usr/bin/python3
"""Measures under Wine how long one run of Setup.exe spends in device
maintenance: the same run (32-bit Windows Vista SP2, no settings but the
switch) with the step skipped (EnableAudioClass=0), with the step and no
capture device (the wanted name and the 15 fallback names, each searched in
both categories: 32 searches), and with the step and a capture device that
needs no change (it is found at once; detection and three register reads).
What is timed is the stretch from the start of the driver installer (a stub
that ends at once) to the start of the package program that Setup.exe runs
after the device step, from the time stamps the two stubs log: the device
step and a fixed remainder (the installer's end, the finish check, one
process start). Prints the times of every run, their minimum and median, and
the differences to the skipped run (the minimum is the steadier figure on a
busy machine). A measurement, not a test: it asserts nothing.

  measure_device_time.py --build-dir build/windows [--runs N]
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from e2e_cases import ALL_INSTALLERS, DEVICE_NAME, STUB, CaptureDevice, Case, ini  # noqa: E402
from run_e2e import LOG, run_medium  # noqa: E402
from wineprefix import unix_path  # noqa: E402

DEVICE = CaptureDevice(DEVICE_NAME, registers={8: 80, 37: 0, 38: 1})

# (label, EnableAudioClass, capture devices registered)
RUNS = [
    ("step skipped (EnableAudioClass=0)", 0, [DEVICE]),
    ("no capture device (32 searches)", 1, []),
    ("capture device present", 1, [DEVICE]),
]


def measured_case(label, enable, devices):
    return Case(f"measure-{enable}-{len(devices)}", "win32", "vista", expect=[],
                setting_ini=ini(f"EnableAudioClass={enable}", "AnotherAPNum=1",
                                "AnotherAPVistax86Exe0=Tool.exe"),
                files={**ALL_INSTALLERS, "Tool.exe": STUB},
                capture_devices=list(devices))


def device_step_time(work):
    """Seconds from the installer's start to the package program's start, by
    the stamps in the run's event log (the harness leaves them out of the
    events it compares)."""
    log = unix_path(work / "prefix", LOG).read_text(encoding="latin-1")
    events = [json.loads(line) for line in log.splitlines()]
    started = [e["time_us"] for e in events if e["event"] == "process"]
    if len(started) != 2:
        raise RuntimeError(f"expected the installer and the package to start: {events}")
    return (started[1] - started[0]) / 1e6


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", type=Path, required=True)
    parser.add_argument("--runs", type=int, default=5, help="runs of each kind (default 5)")
    options = parser.parse_args()
    if "DISPLAY" not in os.environ:
        # Wine needs a display: run again on a virtual one.
        return subprocess.call(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24",
                                sys.executable, *sys.argv])
    build = options.build_dir.resolve()
    args = argparse.Namespace(build_dir=build / "tests" / "e2e",
                              setup_exe=build / "Setup.exe",
                              stubs_dir=build / "tests" / "e2e" / "helpers")

    print(f"Setup.exe under Wine, 32-bit Vista SP2, {options.runs} runs of each kind "
          "(seconds from the installer's start to the package's start):")
    times = {label: [] for label, _, _ in RUNS}
    # Round by round, the three kinds one after the other, so that a change
    # in the machine's load falls on all three alike; round 0 warms Wine's
    # caches and is not counted.
    for round_number in range(options.runs + 1):
        for label, enable, devices in RUNS:
            _events, problems, _timings, work = run_medium(
                measured_case(label, enable, devices), args)
            if problems:
                print(f"  {label}: {'; '.join(problems)}")
                return 1
            if round_number:
                times[label].append(device_step_time(work))
    medians = {label: statistics.median(t) for label, t in times.items()}
    minima = {label: min(t) for label, t in times.items()}
    for label, _, _ in RUNS:
        print(f"  {label:36} min {minima[label]:.3f}  median {medians[label]:.3f}  "
              f"(runs: {' '.join(f'{t:.3f}' for t in times[label])})")
    skipped = RUNS[0][0]
    print("Device maintenance, against the skipped step:")
    for label, _, _ in RUNS[1:]:
        print(f"  {label:36} min {minima[label] - minima[skipped]:+.3f} s  "
              f"median {medians[label] - medians[skipped]:+.3f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())

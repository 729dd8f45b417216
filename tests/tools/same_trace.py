#!/usr/bin/python3
"""Checks that setup-preview runs the launcher exactly as launcher_sim does: the
effect trace that the preview prints for a run equals launcher_sim's trace of
the same scenario.

  same_trace.py --preview PATH --launcher-sim PATH --root REPOSITORY
"""

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path


def output(command, cwd):
    run = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if run.returncode != 0:
        raise SystemExit(f"{command} failed ({run.returncode}): {run.stderr.decode()}")
    return run.stdout.decode()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--preview", required=True)
    parser.add_argument("--launcher-sim", required=True)
    parser.add_argument("--root", required=True)
    options = parser.parse_args()
    root = Path(options.root)
    sample = str(root / "sample" / "scenario-xp32.json")
    full = str(root / "tests" / "tools" / "media" / "full")
    device = ["--register", "8=208,37=5,38=1", "--hardware-id", r"USB\VID_1B80&PID_E411&MI_00"]

    failures = 0
    # (what, preview arguments, launcher_sim scenario or None: the preview's own scenario)
    cases = [
        ("a scenario file", ["--scenario", sample], sample),
        ("a scenario file with the medium laid out again",
         ["--scenario", sample, str(root / "sample" / "medium")], sample),
    ]
    cases += [(f"the full medium on {system}", [full, system] + device, None)
              for system in ("XP", "Vista x64", "7 SP1", "10 x64")]
    with tempfile.TemporaryDirectory() as work:
        for what, arguments, scenario in cases:
            if scenario is None:
                scenario = str(Path(work) / "scenario.json")
                Path(scenario).write_text(output([options.preview, "--print-scenario"] + arguments, root))
            preview = output([options.preview, "--trace"] + arguments, root)
            simulated = output([options.launcher_sim, scenario], root)
            if preview != simulated or not preview:
                failures += 1
                print(f"FAIL {what}: the traces differ\n--- preview\n{preview}--- launcher_sim\n{simulated}")
            else:
                print(f"ok   {what}: {len(preview.splitlines())} effects alike")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Runs the built Setup.exe under Wine on the sample medium and prints what it
did: the programs it started with the command lines they saw, its message
boxes (answered with OK) and the update packages it opened through the shell.
Must run on an X display (tools/run-sample.sh provides one with Xvfb).

  run_sample.py --build-dir build/windows [--windows xp32|xp64|vista32|vista64|win7_64]
"""

import argparse
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from e2e_cases import STUB, Case  # noqa: E402
from run_e2e import run_medium  # noqa: E402

# Flavour: (Wine prefix kind, Windows version for Setup.exe, description)
FLAVOURS = {
    "xp32": ("win32", "winxp", "32-bit Windows XP SP3"),
    "xp64": ("win64", "winxp64", "64-bit Windows XP SP2"),
    "vista32": ("win32", "vista", "32-bit Windows Vista SP2"),
    "vista64": ("win64", "vista", "64-bit Windows Vista SP2"),
    "win7_64": ("win64", "win7", "64-bit Windows 7 SP1"),
}

MEDIUM = r"C:\Sample"
SAMPLE = ROOT / "sample" / "medium"


def sample_case(flavour):
    kind, version, _ = FLAVOURS[flavour]
    installers = {rf"{folder}\SetupDrv.exe": STUB
                  for folder in ("XP_x86", "XP_x64", "Vista_x86", "Vista_x64")}
    updates = {rf"Updates\Windows6.0-KB100-{bits}.msu": b"sample update package\r\n"
               for bits in ("x86", "x64")}
    return Case(name=f"sample-{flavour}", prefix=kind, version=version, expect=[],
                medium=MEDIUM, setting_ini=(SAMPLE / "Setting.ini").read_text(),
                files={**installers, r"Tools\Player.exe": STUB, **updates})


def describe(event):
    kind = event.get("event")
    if kind == "process":
        return f"started      {event['module']}\n             command line: {event['command_line']}"
    if kind == "message_box":
        buttons = "OK" if event["buttons"] == [1] else "OK, Cancel"
        return f"message box  [{event['caption']}] {event['text']}  ({buttons}; answered OK)"
    if kind == "shell_open":
        return f"shell open   {event['command_line']}"
    if kind == "dialog":
        return f"dialog       [{event['caption']}]"
    return f"other        {event}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", type=Path, required=True)
    parser.add_argument("--windows", choices=sorted(FLAVOURS), default="xp32")
    options = parser.parse_args()
    build = options.build_dir.resolve()
    args = argparse.Namespace(build_dir=build / "tests" / "e2e",
                              setup_exe=build / "Setup.exe",
                              stubs_dir=build / "tests" / "e2e" / "helpers")

    print(f"Setup.exe on the sample medium {MEDIUM}, {FLAVOURS[options.windows][2]} (Wine):")
    events, problems, timings, work = run_medium(sample_case(options.windows), args)
    for event in events:
        print("  " + describe(event))
    if not events:
        print("  nothing")
    for problem in problems:
        print("  problem: " + problem)
    print(f"({timings['total']:.1f} s; the prefix is kept in {work / 'prefix'})")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

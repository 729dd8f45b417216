#!/usr/bin/python3
"""Runs the built Setup.exe under Wine on the sample medium and prints what it
did: the programs it started with the command lines they saw, its message
boxes (answered with OK), the update packages it opened through the shell,
and its work on a stand-in capture device: the device it found, every
register it read and wrote, and the device nodes it removed.
Must run on an X display (tools/run-sample.sh provides one with Xvfb).

  run_sample.py --build-dir build/windows [--windows xp32|xp64|vista32|vista64|win7_64]
"""

import argparse
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from e2e_cases import (PROP_CHIP_DATA, PROP_CHIP_SELECT, PROP_DETECT_SELECT,  # noqa: E402
                       PROP_DEVICE_INFO, PROP_DEVICE_READY, PROP_EVENT_ADDRESS,
                       PROP_EVENT_TAG, PROP_I2C_DATA, PROP_I2C_SELECT, STUB,
                       CaptureDevice, Case)
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

# The capture device attached to the sample machine: its audio class
# (register 8) at 80, which XP moves to 208, and its volume already right.
SAMPLE_DEVICE = CaptureDevice("USB 6711 Device #1", registers={8: 80, 37: 0, 38: 1})
# Its device nodes, which the sample's DevDrvID0 pattern names, and one of
# another device that must stay.
SAMPLE_NODES = [[r"USB\VID_1B80&PID_E411&REV_0100", r"USB\VID_1B80&PID_E411"],
                [r"USB\VID_1B80&PID_E411&MI_01"],
                [r"USB\VID_046D&PID_0825&REV_0010"]]
CATEGORY_NAMES = {"video": "video-input device", "bda": "BDA receiver component"}


def sample_case(flavour):
    kind, version, _ = FLAVOURS[flavour]
    installers = {rf"{folder}\SetupDrv.exe": STUB
                  for folder in ("XP_x86", "XP_x64", "Vista_x86", "Vista_x64")}
    updates = {rf"Updates\Windows6.0-KB100-{bits}.msu": b"sample update package\r\n"
               for bits in ("x86", "x64")}
    return Case(name=f"sample-{flavour}", prefix=kind, version=version, expect=[],
                medium=MEDIUM, setting_ini=(SAMPLE / "Setting.ini").read_text(),
                files={**installers, r"Tools\Player.exe": STUB, **updates},
                capture_devices=[SAMPLE_DEVICE], device_nodes=SAMPLE_NODES)


class PropertyReader:
    """Turns the driver's property calls into register reads and writes: a
    transfer selection (4103) names the register that the data call (4104)
    that follows reads or writes."""

    PLAIN = {PROP_DETECT_SELECT: "select I2C device {} for detection",
             PROP_DEVICE_READY: "device ready = {}",
             PROP_DEVICE_INFO: "device information = {}",
             PROP_EVENT_TAG: "event tag = {}",
             PROP_EVENT_ADDRESS: "event device address = {}"}

    def __init__(self):
        self.selection = 0
        self.chip_selection = 0

    def describe(self, event):
        prop, data, result = event["id"], event["data"], event["result"]
        failed = f" failed (0x{result:08X})" if result else ""
        if prop == PROP_I2C_SELECT:
            self.selection = data
            return None if data else f"clear the transfer selection{failed}"
        if prop == PROP_CHIP_SELECT:
            self.chip_selection = data
            return None if data else f"clear the chip-read selection{failed}"
        if prop in (PROP_I2C_DATA, PROP_CHIP_DATA):
            if prop == PROP_CHIP_DATA:
                what = f"chip register {(self.chip_selection >> 8) & 255}"
            else:
                address, register = (self.selection >> 16) & 255, (self.selection >> 8) & 255
                what = f"register {register}" + ("" if address == 160 else f" of I2C device {address}")
            verb = "write" if event["call"] == "set" else "read"
            values = " ".join(str(b) for b in data) if data is not None else ""
            return f"{verb} {what}" + (failed if result else f" = {values}")
        text = self.PLAIN.get(prop, f"property {prop} {event['call']} {{}}")
        return text.format("?" if data is None else data) + failed


def nodes_removed(event, prefix_kind):
    """The sample's nodes that the run removed, by first hardware ID (looked
    at once Setup.exe has ended)."""
    made = [ids[0] for ids in SAMPLE_NODES]
    left = event["hardware_ids"]
    removed = [hardware_id for hardware_id in made if hardware_id not in left]
    lines = [f"device nodes (after the run) removed: {', '.join(removed) or 'none'}",
             f"                             left: {', '.join(left) or 'none'}"]
    if prefix_kind == "win64" and removed:
        lines.append("             (real 64-bit Windows refuses a 32-bit program's device "
                     "removal; Wine does not)")
    return "\n".join(lines)


def describe(event, properties, prefix_kind):
    kind = event.get("event")
    if kind == "capture_filter":
        return (f"capture device found: \"{event['name']}\" "
                f"({CATEGORY_NAMES.get(event['category'], event['category'])})")
    if kind == "property":
        text = properties.describe(event)
        return None if text is None else f"device       {text}"
    if kind == "nodes_left":
        return nodes_removed(event, prefix_kind)
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
    properties = PropertyReader()
    for event in events:
        text = describe(event, properties, FLAVOURS[options.windows][0])
        if text is not None:
            print("  " + text)
    if not events:
        print("  nothing")
    for problem in problems:
        print("  problem: " + problem)
    print(f"({timings['total']:.1f} s; the prefix is kept in {work / 'prefix'})")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

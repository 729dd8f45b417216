#!/usr/bin/python3
"""Runs the built Setup.exe under Wine on the sample medium and prints what it
did: the programs it started with the command lines they saw, its message
boxes (answered with OK), the update packages it opened through the shell,
its work on a stand-in capture device (the device it found, every register it
read and wrote, the device nodes it removed), then its completion dialog: how
long it waited, which buttons of the update package's confirmation dialogs it
pressed, what it asked and how it ended.
Must run on an X display (tools/run-sample.sh provides one with Xvfb).

  run_sample.py --build-dir build/windows [--windows xp32|xp64|vista32|vista64|win7_64]
                [--screenshot FILE.png]
"""

import argparse
import json
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from e2e_cases import (PROP_CHIP_DATA, PROP_CHIP_SELECT, PROP_DETECT_SELECT,  # noqa: E402
                       PROP_DEVICE_INFO, PROP_DEVICE_READY, PROP_EVENT_ADDRESS,
                       PROP_EVENT_TAG, PROP_I2C_DATA, PROP_I2C_SELECT, STUB,
                       CaptureDevice, Case, ForeignDialog)
from run_e2e import LOG, run_medium  # noqa: E402
from screenshot import capture_png  # noqa: E402
from wineprefix import unix_path  # noqa: E402

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
    updates = {rf"Updates\{name}-{bits}.msu": b"sample update package\r\n"
               for name in ("Windows6.0-KB100", "WindowsXP-KB100") for bits in ("x86", "x64")}
    return Case(name=f"sample-{flavour}", prefix=kind, version=version, expect=[],
                medium=MEDIUM, setting_ini=(SAMPLE / "Setting.ini").read_text(),
                files={**installers, r"Tools\Player.exe": STUB, **updates},
                capture_devices=[SAMPLE_DEVICE], device_nodes=SAMPLE_NODES,
                # What the update package shows while it installs: a notice,
                # then a confirmation; the completion dialog presses both.
                foreign_dialogs=[
                    ForeignDialog("marker_static", (1, 2), "Installing update KB100"),
                    ForeignDialog("marker_edit", (1,), "Confirm update KB100",
                                  after="Installing update KB100")],
                # The restart it asks for reaches the sentinel, which refuses
                # it: the sample's Wine session is not ended.
                sentinel=True)


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




BUTTON_NAMES = {1: "OK", 2: "Cancel"}


def button_names(ids):
    return ", ".join(BUTTON_NAMES.get(i, f"ID {i}") for i in ids)


def children_text(children):
    """Child windows in Z order, a container's own children in brackets."""
    return " ".join(f"[{children_text(c)}]" if isinstance(c, list) else c for c in children)


class Narrator:
    """Turns the event log into lines of what happened, timed from the first
    event; the foreign dialogs' appearance times give each press its wait."""

    def __init__(self, prefix_kind):
        self.start = None
        self.shown = {}  # foreign dialog caption -> tick it appeared
        self.properties = PropertyReader()
        self.prefix_kind = prefix_kind

    def line(self, event):
        tick = event.get("tick")
        if self.start is None and tick is not None:
            self.start = tick
        when = f"{(tick - self.start) / 1000:6.2f} s" if tick is not None else " " * 8
        text = self.describe(event)
        return None if text is None else f"{when}  {text}"

    def describe(self, event):
        kind = event.get("event")
        pad = " " * 23
        if kind == "capture_filter":
            return (f"capture device found: \"{event['name']}\" "
                    f"({CATEGORY_NAMES.get(event['category'], event['category'])})")
        if kind == "property":
            text = self.properties.describe(event)
            return None if text is None else f"device       {text}"
        if kind == "nodes_left":
            return nodes_removed(event, self.prefix_kind).replace("\n", "\n" + " " * 10)
        if kind == "process":
            return f"started      {event['module']}\n{pad}command line: {event['command_line']}"
        if kind == "message_box":
            return (f"message box  [{event['caption']}] {event['text']}  "
                    f"({button_names(event['buttons'])}; answered OK)")
        if kind == "shell_open":
            return f"shell open   {event['command_line']}"
        if kind == "completion_dialog":
            return (f"completion dialog [{event['caption']}] visible ({button_names(event['buttons'])}; "
                    f"client area {event.get('client_width')} x {event.get('client_height')}):"
                    f"\n{pad}it waits on its timer for the update's dialogs")
        if kind == "completion_dialog_hidden":
            return "completion dialog hidden by its timer's first tick; the scans go on"
        if kind == "completion_dialog_gone":
            return "completion dialog closed: the run is over"
        if kind == "foreign_dialog":
            self.shown[event["caption"]] = event.get("tick")
            hidden = "" if event.get("visible") else ", hidden"
            return (f"update dialog [{event['caption']}] appears ({event['layout']}{hidden}), "
                    f"children {children_text(event['children'])}")
        if kind == "click":
            if event["message"] != "down":
                return None
            appeared = self.shown.get(event["dialog"])
            waited = ("" if appeared is None or event.get("tick") is None
                      else f", {(event['tick'] - appeared) / 1000:.2f} s after it appeared")
            return (f"pressed      button {event['button']} ({button_names([event['button']])}) "
                    f"of [{event['dialog']}] (posted button down and up{waited})")
        if kind == "foreign_dialog_closed":
            return f"update dialog [{event['caption']}] closed by the press"
        if kind == "foreign_dialog_left":
            return f"update dialog [{event['caption']}] was never pressed"
        if kind == "restart_request":
            return "restart requested: the session end reached the sentinel, which refused it"
        if kind in ("end_session", "dialog"):
            return None
        return f"other        {json.dumps(event)}"


def screenshot_when_visible(path, report):
    """A function for run_medium: once the completion dialog is visible (and
    the update's first dialog has appeared, or a second has passed), saves
    the display as a PNG; notes in report what it did."""
    def events_so_far(prefix):
        log = unix_path(prefix, LOG)
        if not log.exists():
            return set()
        kinds = set()
        for line in log.read_text(encoding="latin-1").splitlines():
            try:
                kinds.add(json.loads(line).get("event"))
            except ValueError:
                pass
        return kinds

    def observe(prefix, ended):
        while "completion_dialog" not in events_so_far(prefix):
            if ended.is_set():
                report.append("no screenshot: the completion dialog never became visible")
                return
            time.sleep(0.02)
        soon = time.monotonic() + 1
        while "foreign_dialog" not in events_so_far(prefix) and time.monotonic() < soon:
            time.sleep(0.02)
        width, height = capture_png(path)
        late = "completion_dialog_hidden" in events_so_far(prefix)
        report.append(f"screenshot {path} ({width} x {height})"
                      + (": taken after the dialog was hidden" if late
                         else ": taken while the completion dialog was visible"))
    return observe


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", type=Path, required=True)
    parser.add_argument("--windows", choices=sorted(FLAVOURS), default="xp32")
    parser.add_argument("--screenshot", type=Path, metavar="FILE",
                        help="save a PNG of the display while the completion dialog is visible")
    options = parser.parse_args()
    build = options.build_dir.resolve()
    args = argparse.Namespace(build_dir=build / "tests" / "e2e",
                              setup_exe=build / "Setup.exe",
                              stubs_dir=build / "tests" / "e2e" / "helpers")

    print(f"Setup.exe on the sample medium {MEDIUM}, {FLAVOURS[options.windows][2]} (Wine):")
    report = []
    observer = (screenshot_when_visible(options.screenshot.resolve(), report)
                if options.screenshot else None)
    events, problems, timings, work = run_medium(sample_case(options.windows), args,
                                                 while_running=observer)
    narrator = Narrator(FLAVOURS[options.windows][0])
    for event in events:
        line = narrator.line(event)
        if line:
            print("  " + line)
    if not events:
        print("  nothing")
    for note in report:
        print("  " + note)
    for problem in problems:
        print("  problem: " + problem)
    print(f"({timings['total']:.1f} s; the prefix is kept in {work / 'prefix'})")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

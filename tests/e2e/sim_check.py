#!/usr/bin/python3
"""Plays the end-to-end cases on the simulated Windows machine.

Each case of e2e_cases.py becomes a scenario: the Windows flavour Wine stands
for, the medium's files, the registry values, the .msu association, the
message-box answers, the device nodes and the capture devices, the foreign
dialogs that the .msu handler shows and the user's press on the completion
dialog. launcher_sim runs the launcher on it; its effect trace is
turned into the events the helper programs log under Wine, and those must
equal the case's expectation, exactly as the run under Wine must. So one
table holds the simulated machine and Wine to the same behaviour.

  sim_check.py --launcher-sim PATH [--case NAME]...
"""

import argparse
import json
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from e2e_cases import CASES, CASES_BY_NAME, STUB  # noqa: E402
from run_e2e import compare  # noqa: E402
from wineprefix import MSU_HANDLER  # noqa: E402

# The named system of the simulated machine that each Windows version Wine
# is given stands for: what GetVersionExA reports to a 32-bit program there
# (Wine's "win7" reports Service Pack 1, its "vista" Service Pack 2, and its
# "win8" 6.2.9200 as every later Windows does for a program without a
# supportedOS manifest entry).
SYSTEMS = {
    "winxp": "XP",
    "winxp64": "XP x64",
    "vista": "Vista SP2",
    "win2008": "Vista SP2",
    "win7": "7 SP1",
    "win8": "8",
    "win81": "8.1",
    "win10": "10",
    # set for the whole prefix
    "vista_sp1": "Vista SP1",
    "win7_no_sp": "7",
}

CURRENT_VERSION = r"SOFTWARE\Microsoft\Windows\CurrentVersion"
# ShellExecuteA's answer under Wine when the association starts the handler.
SHELL_ACCEPTED = 33


def registry_data(kind, data):
    return {"type": kind, "data": data}


# The children of each layout of the .msu handler's dialogs, topmost first.
def foreign_children(layout, buttons):
    button_windows = [{"class": "Button", "id": b} for b in buttons]
    if layout == "marker_static":
        return [{"class": "Static", "id": 51966}, *button_windows]
    if layout == "decoy_static_id":
        return [{"class": "Static", "id": 51965}, *button_windows]
    if layout == "marker_edit":
        return [{"class": "Static", "id": 100},
                {"class": "Panel", "id": 101,
                 "children": [{"class": "Edit", "id": 64430}, *button_windows]}]
    if layout == "decoy_edit_direct":
        return [{"class": "Static", "id": 100}, {"class": "Edit", "id": 64430}, *button_windows]
    raise ValueError(f"unknown foreign dialog layout {layout!r}")


def foreign_windows(dialogs):
    """The scenario's windows for a case's foreign dialogs. The .msu handler
    shows them once the shell has started it, and those with `after` once
    that dialog has closed; the one it made last lies topmost."""
    windows = []
    for dialog in reversed(dialogs):
        window = {"class": "#32770", "text": dialog.caption, "process": "msu_handler",
                  "hidden": dialog.hidden, "on_shell_open": True,
                  "children": foreign_children(dialog.layout, dialog.buttons)}
        if dialog.after:
            window["after_closed"] = dialog.after
        windows.append(window)
    return windows


# The watcher's press on the completion dialog, as the user's action.
PRESS_ACTIONS = {1: "ok", 2: "cancel"}


def scenario_for(case):
    program = rf"{case.medium}\{case.exe_name}"
    # The named system brings the program folders of both views; what the
    # case writes comes on top, in the view it names.
    registry, native = {CURRENT_VERSION: {}}, {}
    for key, name, kind, data, *view in case.registry:
        path = key.split("\\", 1)[1]  # beneath HKLM
        target = native if view == ["64"] else registry
        target.setdefault(path, {})[name] = registry_data(kind, data)

    files = {program: {"program": {}}, MSU_HANDLER: {"program": {}}}
    if case.setting_ini is not None:
        files[rf"{case.medium}\Setting.ini"] = {"text": case.setting_ini}
    for path, content in case.files.items():
        full = path if ":" in path else rf"{case.medium}\{path}"
        files[full] = {"program": {}} if content == STUB else {}

    scenario = {
        "code_page": case.code_page,
        "system": {"name": SYSTEMS[case.version], "bits": 64 if case.prefix == "win64" else 32},
        "program": program,
        "command_line": " ".join([f'"{program}"', *case.args]),
        "current_folder": case.medium,
        "registry": registry,
        "files": files,
        # The registered handler, which answers as the shell does when it
        # has started it.
        "shell": {".msu": {"handler": MSU_HANDLER, "result": SHELL_ACCEPTED}},
        "answers": case.answers,
        "windows": foreign_windows(case.foreign_dialogs),
        "user_actions": {"dialog": [{"action": PRESS_ACTIONS[case.press_completion],
                                     "after_ticks": 0}]
                         if case.press_completion else []},
    }
    if native:
        scenario["registry_native"] = native
    if case.device_nodes:
        scenario["devices"] = {"nodes": [device_node(node) for node in case.device_nodes]}
    if case.capture_devices:
        scenario["capture"] = capture_section(case.capture_devices)
    return scenario


def device_node(node):
    """A node of the case: a hardware-ID list, or (on the simulated machine
    alone) a dict that also says whether the node is present."""
    if isinstance(node, dict):
        return {"hardware_ids": node["hardware_ids"], "present": node.get("present", True)}
    return {"hardware_ids": list(node), "present": True}


def capture_section(devices):
    section = {"video": [], "bda": []}
    for device in devices:
        section[device.category].append({
            "name": device.name,
            "registers": {str(k): v for k, v in device.registers.items()},
            "chip_registers": {str(k): v for k, v in device.chip_registers.items()},
            "properties": {str(k): v for k, v in device.properties.items()},
            "ready": device.ready,
            "i2c_present": device.i2c_present,
            "refuse_interface": device.refuse_interface,
            "bind_fails": device.bind_fails,
            "failures": [{"id": i, "call": call, "when": when}
                         for i, call, when in device.failures],
        })
    return section


def first_hardware_id(node):
    ids = node["hardware_ids"] if isinstance(node, dict) else node
    return ids[0] if ids else ""


def events_from(trace, case):
    """The events the helper programs would have logged for this trace."""
    events = []
    removed = set()
    for effect in trace:
        kind = effect["effect"]
        if kind == "create_process" and effect["result"]:
            events.append({"event": "process", "module": effect["module"],
                           "command_line": effect["command_line"]})
        elif kind == "message_box":
            buttons = [1, 2] if effect["style"] & 0xF == 1 else [1]
            events.append({"event": "message_box", "caption": effect["caption"],
                           "text": effect["text"], "buttons": buttons})
        elif kind == "shell_open" and effect["result"] > 32:
            parameters = effect["parameters"] or ""
            events.append({"event": "shell_open", "module": MSU_HANDLER,
                           "command_line": f'"{MSU_HANDLER}" "{effect["file"]}" {parameters}'.rstrip()})
        elif kind == "property":
            events.append({"event": "property", **{k: effect[k] for k in
                                                   ("call", "id", "data", "result")}})
        elif kind == "remove_device" and effect["result"]:
            removed.add(effect["node"])
        elif kind == "dialog_shown":
            events.append({"event": "completion_dialog", "caption": effect["caption"],
                           "buttons": effect["buttons"]})
        elif (kind == "foreign_input" and effect["class"] == "Button"
              and effect["message"] in CLICK_MESSAGES):
            events.append({"event": "click", "dialog": effect["dialog"], "button": effect["id"],
                           "message": CLICK_MESSAGES[effect["message"]],
                           "wparam": effect["wparam"], "lparam": effect["lparam"]})
        elif kind == "exit_windows" and effect["result"] and case.sentinel:
            # The sentinel sees the session end that the request starts.
            events.append({"event": "restart_request"})
        elif kind == "gave_up":
            events.append({"event": "gave_up", "reason": effect["reason"]})
    if case.device_nodes:
        # What the node tool lists after the run: the nodes still there.
        events.append({"event": "nodes_left",
                       "hardware_ids": [first_hardware_id(node)
                                        for i, node in enumerate(case.device_nodes)
                                        if i not in removed]})
    return events


CLICK_MESSAGES = {"WM_LBUTTONDOWN": "down", "WM_LBUTTONUP": "up"}


def compare_events(expected, actual):
    """compare(), with the clicks held apart: they arrive through another
    process's queue, so they are ordered among themselves only."""
    def is_click(event):
        return event["event"] == "click"

    problems = compare([e for e in expected if not is_click(e)],
                       [e for e in actual if not is_click(e)])
    clicks_expected = [json.dumps(e) for e in expected if is_click(e)]
    clicks_actual = [json.dumps(e) for e in actual if is_click(e)]
    if clicks_expected != clicks_actual:
        problems.append("clicks differ (- expected, + actual):")
        problems += [f"- {line}" for line in clicks_expected]
        problems += [f"+ {line}" for line in clicks_actual]
    return problems


def check(case, launcher_sim):
    with tempfile.TemporaryDirectory() as folder:
        scenario_path = Path(folder, "scenario.json")
        scenario_path.write_text(json.dumps(scenario_for(case), ensure_ascii=False), encoding="utf-8")
        run = subprocess.run([launcher_sim, str(scenario_path)], capture_output=True, text=True)
    if run.returncode != 0:
        return [f"launcher_sim failed ({run.returncode}): {run.stderr.strip()}"]
    trace = [json.loads(line) for line in run.stdout.splitlines()]
    problems = compare_events(case.expect, events_from(trace, case))
    if problems:
        problems += ["trace:"] + [f"  {line}" for line in run.stdout.splitlines()]
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--launcher-sim", required=True)
    parser.add_argument("--case", action="append", choices=sorted(CASES_BY_NAME), metavar="NAME")
    args = parser.parse_args()
    names = args.case or [case.name for case in CASES]
    failed = 0
    for name in names:
        problems = check(CASES_BY_NAME[name], args.launcher_sim)
        print(f"{'FAIL' if problems else 'PASS'} {name}")
        for line in problems:
            print(f"    {line}")
        failed += bool(problems)
    print(f"{len(names) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Runs Setup.exe under Wine on the media of the end-to-end cases and checks
what it did against what each case expects.

  run_e2e.py --build-dir DIR --setup-exe PATH --stubs-dir DIR [--case NAME]...
  run_e2e.py --list

  run_e2e.py ... --measure-click-latency

For each case: a snapshot of the cached base prefix, the medium laid out in
its drive C, the Windows version set for Setup.exe, the message-box watcher
started, then Setup.exe run and waited for. A case's capture devices are
stand-in filters registered in the device enumerator and served by one DLL,
which logs every property call it receives; its device nodes are made before
the run and those left are logged after it. When the case asks for it, the
restart sentinel runs beside. The stand-in programs, the filter, the .msu
handler with its foreign dialogs, the sentinel and the watcher write one
event log; the whole ordered list of events must equal the case's expectation
(where Wine differs from Windows, its own `wine_expect`). The run happens on
one Xvfb display of its own.

--measure-click-latency runs Setup.exe with WaitTimer 100 against a chain of
foreign dialogs and prints how long each waited for its click.
"""

import argparse
import difflib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

from e2e_cases import (CASES, CASES_BY_NAME, PREFIX_VERSIONS, STUB,  # noqa: E402
                       ForeignDialog, dialog_case)
from e2e_cases import PROP_DEVICE_INFO, PROP_EVENT_ADDRESS, PROP_EVENT_TAG  # noqa: E402
from wineprefix import (TOOLS_DIR, base_env, ensure_base, import_registry,  # noqa: E402
                        kill_server, locale_env, locked, place_file, snapshot, unix_path)

SETUP_TIMEOUT = 60       # Setup.exe must have ended by then
SETTLE_TIMEOUT = 30      # for programs it left running (shell opens)
WATCHER_TIMEOUT = 240    # the watcher's own hard stop, beyond any case

LOG = r"C:\e2e_log\events.jsonl"
WATCHER = TOOLS_DIR + r"\msgbox_watcher.exe"
ANSWERS = TOOLS_DIR + r"\answers.txt"
STOP = TOOLS_DIR + r"\stop"
WATCHER_READY = TOOLS_DIR + r"\watcher-ready"
SENTINEL = TOOLS_DIR + r"\restart_sentinel.exe"
SENTINEL_READY = TOOLS_DIR + r"\sentinel-ready"
DIALOGS = TOOLS_DIR + r"\dialogs.txt"          # the foreign dialogs of the case
DIALOGS_STOP = TOOLS_DIR + r"\dialogs-stop"    # the .msu handler may end

# The capture-device stand-ins: the filter DLL reads the devices' model from
# the file beside it; the node tool keeps the nodes it made in its state file.
CAPTURE_FILTER = TOOLS_DIR + r"\capture_filter.dll"
CAPTURE_CONFIG = TOOLS_DIR + r"\capture_devices.txt"
DEVICE_NODES = TOOLS_DIR + r"\device_nodes.exe"
NODES_FILE = TOOLS_DIR + r"\nodes.txt"
NODES_STATE = TOOLS_DIR + r"\nodes-made.txt"
CATEGORIES = {
    "video": "{860BB310-5D01-11D0-BD3B-00A0C911CE86}",  # CLSID_VideoInputDeviceCategory
    "bda": "{FD0A5AF4-B41D-11D2-9C95-00C04F7971E0}",    # KSCATEGORY_BDA_RECEIVER_COMPONENT
}
HELPERS = ("stub_installer.exe", "msu_handler.exe", "msgbox_watcher.exe", "restart_sentinel.exe",
           "capture_filter.dll", "device_nodes.exe")

# The fields that matter per kind of event; anything else a helper logs is
# left out of the comparison.
FIELDS = {
    "process": ("event", "module", "command_line"),
    "message_box": ("event", "caption", "text", "buttons"),
    "shell_open": ("event", "module", "command_line"),
    "dialog": ("event", "caption"),
    "property": ("event", "call", "id", "data", "result"),
    "nodes_left": ("event", "hardware_ids"),
    "click": ("event", "dialog", "button", "message", "wparam", "lparam"),
    "restart_request": ("event",),
    "completion_dialog": ("event", "caption", "buttons"),
}
# Setup.exe does not wait for what it opens through the shell.
UNORDERED = {"shell_open"}
# Clicks arrive through another process's queue: ordered among themselves,
# not against the rest.
OWN_ORDER = {"click"}
# Reported for the reader (timings, what was left open), not compared:
# other processes' dialogs, the foreign dialogs' lives, the completion
# dialog's hiding and end (and Wine's flash of one ended during its
# initialisation, which Windows never shows), the refused session end, and
# which stand-in filter was bound (the property calls that follow show it).
NOT_COMPARED = {"dialog", "foreign_dialog", "foreign_dialog_closed", "foreign_dialog_left",
                "completion_dialog_hidden", "completion_dialog_gone", "completion_dialog_flash",
                "end_session", "capture_filter"}


def write_new(target, data):
    """Writes a file into a snapshot, never through a hard link into the base."""
    target.parent.mkdir(parents=True, exist_ok=True)
    if target.exists():
        target.unlink()
    target.write_bytes(data)


def unix_name(case, name):
    """A file name as the Unix side holds it: bytes of the case's ANSI code
    page, which is how Wine reads Unix names under that page's locale."""
    return os.fsdecode(name.encode(f"cp{case.code_page}"))


def prepare_medium(case, prefix, setup_exe, stubs_dir):
    medium = unix_path(prefix, case.medium)
    place_file(setup_exe, medium / unix_name(case, case.exe_name))
    if case.setting_ini is not None:
        write_new(medium / "Setting.ini", case.setting_ini.encode("ascii"))
    for path, content in case.files.items():
        target = unix_path(prefix, path) if ":" in path else medium.joinpath(*path.split("\\"))
        if content == STUB:
            place_file(stubs_dir / "stub_installer.exe", target)
        else:
            write_new(target, content)
    for helper in HELPERS:
        place_file(stubs_dir / helper, unix_path(prefix, TOOLS_DIR + "\\" + helper))
    if case.capture_devices:
        place_file(stubs_dir / "capture_filter.dll", unix_path(prefix, CAPTURE_FILTER))
        write_new(unix_path(prefix, CAPTURE_CONFIG), capture_config(case).encode("latin-1"))
    if case.device_nodes:
        place_file(stubs_dir / "device_nodes.exe", unix_path(prefix, DEVICE_NODES))
        write_new(unix_path(prefix, NODES_FILE),
                  "".join("\t".join(ids) + "\n" for ids in case.device_nodes).encode("latin-1"))
    write_new(unix_path(prefix, ANSWERS), "".join(f"{a}\n" for a in case.answers).encode())
    write_new(unix_path(prefix, DIALOGS), dialogs_text(case.foreign_dialogs).encode("ascii"))
    unix_path(prefix, LOG).parent.mkdir(parents=True, exist_ok=True)
    return medium


def capture_class_id(index):
    """The class ID under which stand-in device `index` is registered; the
    filter DLL takes the index from its last byte."""
    return f"{{E2E0CA00-0000-4000-8000-0000000000{index:02X}}}"


def capture_config(case):
    """The model of every stand-in device, in the filter DLL's format."""
    properties = {PROP_DEVICE_INFO, PROP_EVENT_TAG, PROP_EVENT_ADDRESS}
    lines = []
    for index, device in enumerate(case.capture_devices):
        lines += [f"device {index}", f"name {device.name or ''}", f"category {device.category}"]
        lines += [flag for flag, on in (("refuse_interface", device.refuse_interface),
                                        ("bind_fails", device.bind_fails),
                                        ("not_ready", not device.ready),
                                        ("no_i2c", not device.i2c_present)) if on]
        lines += [f"reg {r} {v}" for r, v in device.registers.items()]
        lines += [f"chip {r} {v}" for r, v in device.chip_registers.items()]
        for prop, value in device.properties.items():
            if prop not in properties:
                raise ValueError(f"{case.name}: no settable property {prop}")
            lines.append(f"prop {prop} {value}")
        lines += [f"fail {prop} {call} {mode}" for prop, call, mode in device.failures]
    return "".join(line + "\n" for line in lines)


def capture_registry(case):
    """The device enumerator's entries for the stand-in devices, in the
    classes a 32-bit program sees: per device an instance of its category
    (named so that the enumerator lists them in registration order) and its
    class ID, served by the filter DLL."""
    entries = []
    for index, device in enumerate(case.capture_devices):
        clsid = capture_class_id(index)
        instance = rf"HKCR\CLSID\{CATEGORIES[device.category]}\Instance\E2E Device {index:02d}"
        entries.append((instance, "CLSID", "REG_SZ", clsid))
        if device.name is not None:
            entries.append((instance, "FriendlyName", "REG_SZ", device.name))
        server = rf"HKCR\CLSID\{clsid}\InprocServer32"
        entries += [(server, None, "REG_SZ", CAPTURE_FILTER),
                    (server, "ThreadingModel", "REG_SZ", "Both")]
    return entries
def dialogs_text(foreign_dialogs):
    """The .msu handler's list: layout, caption, buttons, hidden, after; tabs between."""
    return "".join(
        "\t".join([d.layout, d.caption, ",".join(str(b) for b in d.buttons),
                   "1" if d.hidden else "0", d.after or ""]) + "\n"
        for d in foreign_dialogs)


def registry_for(case):
    """Registry values of the case by view: first the Windows version, for
    Setup.exe alone (HKCU, which both views share) or for the whole prefix."""
    views = {"32": list(PREFIX_VERSIONS.get(case.version, [])), "64": []}
    if case.version not in PREFIX_VERSIONS:
        views["32"].append((rf"HKCU\Software\Wine\AppDefaults\{case.exe_name}",
                            "Version", "REG_SZ", case.version))
    for entry in case.registry:
        views[entry[4] if len(entry) > 4 else "32"].append(entry[:4])
    views["32"] += capture_registry(case)
    return views


def programs_still_running(prefix):
    """Programs running in the prefix other than Wine's own, the watcher and
    the sentinel: what Setup.exe started and left running. A session end
    that a restart request started counts too, although it is Wine's own:
    the sentinel logs it while it runs."""
    marker = f"WINEPREFIX={prefix}".encode()
    running = []
    for entry in os.scandir("/proc"):
        if not entry.name.isdigit():
            continue
        try:
            environ = Path(entry.path, "environ").read_bytes().split(b"\0")
            argv = Path(entry.path, "cmdline").read_bytes().split(b"\0")
        except OSError:
            continue
        program = argv[0].decode(errors="replace")
        if marker not in environ or not program:  # not ours, or a zombie
            continue
        lower = program.lower()
        ending_session = lower.endswith("wineboot.exe") and b"--end-session" in argv
        if ((lower.startswith("c:\\windows\\") and not ending_session)
                or lower.endswith(("msgbox_watcher.exe", "restart_sentinel.exe"))
                or os.path.basename(program).startswith("wineserver")):
            continue
        running.append(program)
    return running


def wait_until(condition, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(step)
    return True


def read_events(log_path):
    events = []
    if not log_path.exists():
        return events
    for line in log_path.read_text(encoding="latin-1").splitlines():
        try:
            event = json.loads(line)
        except ValueError:
            event = {"event": "unreadable log line", "line": line}
        if event.get("event") == "shell_open" and event.get("command_line"):
            # An empty %* leaves trailing blanks; they are the shell's, not ours.
            event["command_line"] = event["command_line"].rstrip()
        events.append(event)
    return events


def comparable(event):
    """The fields of an event that are compared."""
    fields = FIELDS.get(event.get("event"))
    return {key: event.get(key) for key in fields} if fields else event


def compare(expected, actual):
    """Problems found, as lines; empty when the events match."""
    def lines(events):
        return [json.dumps(e) for e in events]

    problems = []
    expected = [comparable(e) for e in expected]
    actual = [comparable(e) for e in actual]
    apart = UNORDERED | OWN_ORDER
    ordered_expected = [e for e in expected if e["event"] not in apart]
    ordered_actual = [e for e in actual if e["event"] not in apart | NOT_COMPARED]
    if ordered_expected != ordered_actual:
        problems.append("ordered events differ (- expected, + actual):")
        problems += difflib.unified_diff(lines(ordered_expected), lines(ordered_actual),
                                         lineterm="", n=10)
    shell_expected = sorted(lines(e for e in expected if e["event"] in UNORDERED))
    shell_actual = sorted(lines(e for e in actual if e["event"] in UNORDERED))
    if shell_expected != shell_actual:
        problems.append("shell opens differ (- expected, + actual):")
        problems += difflib.unified_diff(shell_expected, shell_actual, lineterm="", n=10)
    clicks_expected = lines(e for e in expected if e["event"] in OWN_ORDER)
    clicks_actual = lines(e for e in actual if e["event"] in OWN_ORDER)
    if clicks_expected != clicks_actual:
        problems.append("clicks differ (- expected, + actual):")
        problems += difflib.unified_diff(clicks_expected, clicks_actual, lineterm="", n=10)
    return problems


def run_tool(prefix, command, **env):
    """Runs a helper console program in the prefix; its complaints, if it
    fails, become the error."""
    # A file, not a pipe: the wineserver and the system processes that the
    # program may start inherit its handles and outlive it.
    with tempfile.TemporaryFile() as errors:
        run = subprocess.run(["wine", *command], env=base_env(prefix, **env), timeout=60,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors)
        if run.returncode != 0:
            errors.seek(0)
            raise RuntimeError(f"{command[0]} {command[1]} failed ({run.returncode}): "
                               f"{errors.read().decode(errors='replace').strip()}")


def start_helper(command, ready, prefix, env, what):
    """Starts a helper program and waits until it has made its ready file
    (named among its arguments)."""
    helper = subprocess.Popen(["wine", *command], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(lambda: unix_path(prefix, ready).exists() or helper.poll() is not None, 30)
    if not unix_path(prefix, ready).exists():
        helper.kill()
        raise RuntimeError(f"the {what} did not start (exit {helper.poll()})")
    return helper


def run_medium(case, args, while_running=None):
    """Runs Setup.exe on the medium of one case, in a snapshot kept under
    the build tree; returns (events logged, problems of the run, timings in
    seconds, the snapshot's folder). while_running, when given, is called
    in a thread of its own while Setup.exe runs, with the prefix's folder and
    an event that is set once Setup.exe has ended."""
    timings = {}
    start = time.monotonic()
    base = ensure_base(args.build_dir, case.prefix)
    timings["base prefix"] = time.monotonic() - start

    work = Path(args.build_dir, "e2e-runs", case.name)
    prefix = snapshot(base, work / "prefix")
    medium = prepare_medium(case, prefix, args.setup_exe, args.stubs_dir)
    timings["snapshot"] = time.monotonic() - start - timings["base prefix"]

    locale = locale_env(args.build_dir, case.code_page)
    env = base_env(prefix, E2E_LOG=LOG, E2E_DIALOGS=DIALOGS, E2E_DIALOGS_STOP=DIALOGS_STOP,
                   **locale)
    problems = []
    watcher = sentinel = None
    try:
        # The registry first, then the watcher, fully started before
        # Setup.exe so that it is looking before any box can appear.
        step = time.monotonic()
        for view, entries in registry_for(case).items():
            import_registry(prefix, entries, view=view, extra_env=locale)
        timings["registry"] = time.monotonic() - step
        if case.device_nodes:
            step = time.monotonic()
            run_tool(prefix, [DEVICE_NODES, "create", NODES_FILE, NODES_STATE])
            timings["device nodes"] = time.monotonic() - step
        step = time.monotonic()
        if case.sentinel:
            sentinel = start_helper([SENTINEL, STOP, str(WATCHER_TIMEOUT), SENTINEL_READY],
                                    SENTINEL_READY, prefix, env, "restart sentinel")
        watcher = start_helper(
            [WATCHER, ANSWERS, STOP, str(WATCHER_TIMEOUT), WATCHER_READY, case.exe_name,
             str(case.press_completion or 0)],
            WATCHER_READY, prefix, env, "message-box watcher")
        timings["helpers"] = time.monotonic() - step

        run_start = time.monotonic()
        # Arguments as bytes of the case's code page, as Wine decodes them.
        setup = [os.fsencode(unix_name(case, rf"{case.medium}\{case.exe_name}")), *case.args]
        observer = None
        ended = threading.Event()
        if while_running:
            observer = threading.Thread(target=while_running, args=(prefix, ended), daemon=True)
            observer.start()
        try:
            subprocess.run(["wine", *setup], cwd=medium, env=env, timeout=SETUP_TIMEOUT,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            problems.append(f"Setup.exe did not end within {SETUP_TIMEOUT} s")
        timings["Setup.exe"] = time.monotonic() - run_start
        step = time.monotonic()
        ended.set()
        # Whatever the handler still shows was not pressed; it may go now.
        # Clicks already posted to it are handled before it looks.
        write_new(unix_path(prefix, DIALOGS_STOP), b"")
        if not wait_until(lambda: not programs_still_running(prefix), SETTLE_TIMEOUT):
            problems.append(f"programs still running {SETTLE_TIMEOUT} s after Setup.exe: "
                            f"{programs_still_running(prefix)}")
        timings["settle"] = time.monotonic() - step

        write_new(unix_path(prefix, STOP), b"")
        for helper, what in ((watcher, "watcher"), (sentinel, "sentinel")):
            try:
                if helper:
                    helper.wait(timeout=30)
            except subprocess.TimeoutExpired:
                problems.append(f"the {what} did not stop")
        if case.device_nodes:
            run_tool(prefix, [DEVICE_NODES, "left", NODES_STATE], E2E_LOG=LOG)
        if observer:
            observer.join(timeout=30)
    finally:
        step = time.monotonic()
        for helper in (watcher, sentinel):
            if helper and helper.poll() is None:
                helper.kill()
        kill_server(prefix, locale)
        timings["end"] = time.monotonic() - step

    timings["total"] = time.monotonic() - start
    return read_events(unix_path(prefix, LOG)), problems, timings, work


def run_case(case, args):
    """Runs one case; returns (problems, timings in seconds)."""
    events, problems, timings, work = run_medium(case, args)
    expect = case.wine_expect if case.wine_expect is not None else case.expect
    problems += compare(expect, events)
    if problems:
        problems.append("full event log:")
        problems += [f"  {json.dumps(e)}" for e in events]
        problems.append(f"prefix kept for inspection: {work / 'prefix'}")
    elif not args.keep:
        shutil.rmtree(work)
    return problems, timings


def run_cases(args):
    names = []
    for name in args.case or [case.name for case in CASES]:
        if CASES_BY_NAME[name].sim_only:
            print(f"SKIP {name}: simulated machine only ({CASES_BY_NAME[name].sim_only})")
        else:
            names.append(name)
    failed = []
    start = time.monotonic()
    for name in names:
        try:
            problems, timings = run_case(CASES_BY_NAME[name], args)
        except (OSError, RuntimeError, subprocess.SubprocessError) as error:
            problems, timings = [f"could not run the case: {error}"], {}
        detail = ", ".join(f"{k} {v:.1f} s" for k, v in timings.items())
        print(f"{'FAIL' if problems else 'PASS'} {name} ({detail})", flush=True)
        for line in problems:
            print(f"    {line}")
        if problems:
            failed.append(name)
    print(f"{len(names) - len(failed)} of {len(names)} cases passed "
          f"in {time.monotonic() - start:.1f} s", flush=True)
    if failed:
        print("failed: " + " ".join(failed))
    return 1 if failed else 0


LATENCY_WAIT_TIMER = 100
LATENCY_CHAIN = 6   # dialogs per run, each shown once the one before it closed


def latency_case():
    """Setup.exe at WaitTimer 100 against a chain of marker-static dialogs:
    ID 1 pressed on all but the last, whose ID 2 ends the wait."""
    names = [f"Update {i}" for i in range(1, LATENCY_CHAIN + 1)]
    chain = [ForeignDialog("marker_static", (2,) if i == len(names) - 1 else (1,), name,
                           after=names[i - 1] if i else None)
             for i, name in enumerate(names)]
    return dialog_case("click_latency", chain, then=[], wait_timer=LATENCY_WAIT_TIMER)


def measure_click_latency(args, runs):
    """Prints, per foreign dialog, the time to the first click its button
    received, from the moment its window was made (a scan can find it from
    then on) and from the moment it was shown; all stamped by the .msu
    handler with the system's millisecond tick."""
    from_made, from_shown = [], []
    failed = False
    for run in range(1, runs + 1):
        events, problems, _, work = run_medium(latency_case(), args)
        dialogs = {e["caption"]: e for e in events if e["event"] == "foreign_dialog"}
        pressed = {}
        for e in events:
            if e["event"] == "click" and e["message"] == "down":
                pressed.setdefault(e["dialog"], e["tick"])
        waits = [(name, pressed[name] - d["created_tick"], pressed[name] - d["tick"])
                 for name, d in dialogs.items() if name in pressed]
        print(f"run {run}: " + ", ".join(f"{name} {made}/{shown} ms" for name, made, shown in waits),
              flush=True)
        if problems or len(waits) != LATENCY_CHAIN:
            failed = True
            print("    not every dialog was pressed: " + "; ".join(problems)
                  + f" (prefix kept in {work / 'prefix'})")
            continue
        shutil.rmtree(work)
        from_made += [made for _, made, _ in waits]
        from_shown += [shown for _, _, shown in waits]

    def summary(values):
        values = sorted(values)
        return (f"min {values[0]} ms, median {values[len(values) // 2]} ms, "
                f"mean {sum(values) / len(values):.0f} ms, max {values[-1]} ms")
    print(f"time to the click at WaitTimer {LATENCY_WAIT_TIMER}, "
          f"{len(from_made)} foreign dialogs (made/shown per dialog above):")
    if from_made:
        print(f"  from the dialog's window made: {summary(from_made)}")
        print(f"  from the dialog shown:         {summary(from_shown)}")
    return 1 if failed or not from_made else 0


def run_under_xvfb(argv, build_dir):
    """Runs this script again on a display of its own.

    `xvfb-run -a` picks the first free display number, which two runs
    starting together can both pick; a lock held until the inner run reports
    that it has started (its display is then taken) keeps them apart."""
    read_end, write_end = os.pipe()
    env = dict(os.environ, E2E_READY_FD=str(write_end))
    with locked(Path(build_dir) / "e2e-xvfb.lock"):
        child = subprocess.Popen(
            ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24",
             "/usr/bin/python3", str(Path(__file__).resolve()), "--inner", *argv],
            env=env, pass_fds=(write_end,))
        os.close(write_end)
        os.read(read_end, 1)  # the start report, or end of file if the child died
        os.close(read_end)
    return child.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true", help="print the case names")
    parser.add_argument("--build-dir", type=Path)
    parser.add_argument("--setup-exe", type=Path)
    parser.add_argument("--stubs-dir", type=Path)
    parser.add_argument("--case", action="append", choices=sorted(CASES_BY_NAME),
                        metavar="NAME", help="run only this case (repeatable)")
    parser.add_argument("--keep", action="store_true",
                        help="keep the prefixes of passing cases too")
    parser.add_argument("--measure-click-latency", type=int, nargs="?", const=5, metavar="RUNS",
                        help="measure the time from a foreign dialog's appearance to its "
                             "click at WaitTimer 100, over RUNS runs (5)")
    parser.add_argument("--inner", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()

    if args.list:
        # Cases that Wine cannot show are played on the simulated machine only.
        print("\n".join(case.name for case in CASES if not case.sim_only))
        return 0
    for option in ("build_dir", "setup_exe", "stubs_dir"):
        if getattr(args, option) is None:
            parser.error(f"--{option.replace('_', '-')} is required")
    args.build_dir = args.build_dir.resolve()
    missing = [str(p) for p in [args.setup_exe] + [args.stubs_dir / h for h in HELPERS]
               if not p.is_file()]
    if missing:
        parser.error("missing: " + ", ".join(missing))

    if not args.inner:
        return run_under_xvfb(sys.argv[1:], args.build_dir)
    ready = os.environ.pop("E2E_READY_FD", None)
    if ready:
        os.write(int(ready), b"1")
        os.close(int(ready))
    if args.measure_click_latency:
        return measure_click_latency(args, args.measure_click_latency)
    return run_cases(args)


if __name__ == "__main__":
    sys.exit(main())

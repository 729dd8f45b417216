#!/usr/bin/python3
"""Runs one command of the authoring tools and compares what it prints with an
expected text file; the exit status must be the expected one too.

  golden.py --cwd DIR --expect FILE [--status N] [--wine PREFIX] [--stderr] [--update] -- COMMAND ARGS...

--wine runs COMMAND (a Windows console program) under Wine in the prefix
PREFIX; its line ends are taken as Unix ones. --update writes the output into
FILE instead of comparing (so does TOOLS_GOLDEN_UPDATE=1 in the
environment). --stderr compares the error output instead.
"""

import argparse
import difflib
import os
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cwd", required=True)
    parser.add_argument("--expect", required=True)
    parser.add_argument("--status", type=int, default=0)
    parser.add_argument("--wine")
    parser.add_argument("--stderr", action="store_true", help="compare the error output instead")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    env = dict(os.environ)
    if options.wine:
        env.update(WINEPREFIX=options.wine, WINEDEBUG="-all")
        command = ["wine"] + command
    run = subprocess.run(command, cwd=options.cwd, env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, timeout=600)
    shown = run.stderr if options.stderr else run.stdout
    output = shown.decode("utf-8", "replace").replace("\r\n", "\n")
    if options.update or os.environ.get("TOOLS_GOLDEN_UPDATE") == "1":
        with open(options.expect, "w", encoding="utf-8") as f:
            f.write(output)
        print(f"wrote {options.expect}")
        return 0
    with open(options.expect, encoding="utf-8") as f:
        expected = f.read()
    problems = []
    if run.returncode != options.status:
        problems.append(f"exit status {run.returncode}, expected {options.status}")
    if output != expected:
        problems.append("output differs from " + options.expect + ":\n" + "".join(
            difflib.unified_diff(expected.splitlines(True), output.splitlines(True),
                                 "expected", "actual")))
    if problems:
        print("\n".join(problems))
        print("stderr:", run.stderr.decode("utf-8", "replace"))
        return 1
    print(f"output matches {options.expect}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Wine prefixes for the end-to-end tests.

Two base prefixes are made once and cached in the build tree:
  win32 - a 32-bit prefix (WINEARCH=win32), standing for 32-bit Windows;
  win64 - a 64-bit prefix (WINEARCH=win64), standing for 64-bit Windows,
          where the 32-bit programs under test run under WoW64.
Both use a Wine virtual desktop (without one every closed window costs
about two seconds) and have a handler registered for ".msu" files.

Each test case runs in a snapshot of a base prefix: hard links for the
files plus real copies of the registry files, which wineserver rewrites in
place and would otherwise corrupt in the base.

Run as a script it makes the base prefixes that are still missing:
  wineprefix.py --build-dir DIR win32 win64
"""

import argparse
import contextlib
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# Raise when the recipe below changes, so that cached prefixes are remade.
RECIPE_VERSION = 1

KINDS = ("win32", "win64")

# Where the .msu handler lives inside every prefix. The base prefix only
# registers this path; each case copies the freshly built handler there,
# so rebuilding the helpers never makes a cached prefix stale.
TOOLS_DIR = r"C:\e2e_tools"
MSU_HANDLER = TOOLS_DIR + r"\msu_handler.exe"

READY_MARK = "e2e-ready"


def base_env(prefix, **extra):
    """Environment for Wine programs in one prefix."""
    env = dict(os.environ)
    env.update(
        WINEPREFIX=str(prefix),
        WINEDEBUG="-all",
        # No Mono or Gecko installer prompts while the prefix is made.
        WINEDLLOVERRIDES="mscoree,mshtml=",
    )
    env.update(extra)
    return env


def unix_path(prefix, windows_path):
    """The file in the prefix that a C:\\ path names."""
    drive, _, rest = windows_path.partition(":")
    if drive.upper() != "C":
        raise ValueError(f"only drive C is mapped into the prefix: {windows_path}")
    parts = [p for p in rest.split("\\") if p]
    return Path(prefix, "drive_c", *parts)


ROOT_NAMES = {
    "HKLM": "HKEY_LOCAL_MACHINE",
    "HKCU": "HKEY_CURRENT_USER",
    "HKCR": "HKEY_CLASSES_ROOT",
}


def reg_text(entries):
    """A .reg file for `reg import`: entries are (key, name, type, data),
    the key starting with HKLM, HKCU, HKCR or a full root name, the type
    REG_SZ or REG_DWORD; name None sets the default value."""
    def quote(text):
        return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'

    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, name, kind, data in entries:
        root, _, rest = key.partition("\\")
        lines.append(f"[{ROOT_NAMES.get(root, root)}\\{rest}]")
        left = "@" if name is None else quote(name)
        if kind == "REG_SZ":
            lines.append(f"{left}={quote(data)}")
        elif kind == "REG_DWORD":
            lines.append(f"{left}=dword:{int(data):08x}")
        else:
            raise ValueError(f"unsupported registry type {kind}")
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


# Unix locales that give Wine a double-byte ANSI code page: the code page,
# then the locale's source and character map for localedef.
CODE_PAGE_LOCALES = {950: ("zh_TW", "BIG5")}


def locale_env(build_dir, code_page):
    """Environment for Wine programs that must run in `code_page`: Wine takes
    its ANSI code page from the Unix locale, compiled once into the build
    tree (no change to the system). Empty for the default page 1252."""
    if code_page == 1252:
        return {}
    source, charmap = CODE_PAGE_LOCALES[code_page]
    name = f"{source}.{charmap}"
    root = Path(build_dir, "e2e-locales")
    with locked(root / ".lock"):
        if not (root / name / "LC_CTYPE").exists():
            subprocess.run(["localedef", "-f", charmap, "-i", source, str(root / name)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return {"LOCPATH": str(root), "LANG": name, "LC_ALL": name}


def import_registry(prefix, entries, view="32", timeout=60, extra_env=None):
    """Writes registry values into a prefix through the system's `reg import`.

    view "32" is what a 32-bit program sees (in a 64-bit prefix the 32-bit
    view, where HKLM\\SOFTWARE means SOFTWARE\\Wow6432Node); "64" is the
    native view of a 64-bit prefix."""
    if not entries:
        return
    reg_file = unix_path(prefix, TOOLS_DIR + rf"\import-{view}.reg")
    reg_file.parent.mkdir(parents=True, exist_ok=True)
    text = reg_text(entries)
    # Names beyond ASCII (a renamed program's AppDefaults key) need the
    # format's own UTF-16 form.
    reg_file.write_text(text, encoding="ascii" if text.isascii() else "utf-16", newline="")
    # No pipes: the wineserver and the system processes that this first
    # program may start inherit its standard handles and outlive it.
    subprocess.run(
        ["wine", "reg", "import", TOOLS_DIR + rf"\import-{view}.reg", f"/reg:{view}"],
        env=base_env(prefix, **(extra_env or {})), check=True, timeout=timeout,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reg_file.unlink()


def kill_server(prefix, extra_env=None):
    subprocess.run(["wineserver", "-k"], env=base_env(prefix, **(extra_env or {})),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def _make_base(prefix, kind):
    env = base_env(prefix, WINEARCH=kind)
    try:
        subprocess.run(["wine", "wineboot", "--init"], env=env, check=True,
                       timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import_registry(prefix, [
            # The virtual desktop.
            (r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ", "Default"),
            (r"HKCU\Software\Wine\Explorer\Desktops", "Default", "REG_SZ", "1024x768"),
            # ".msu" opens with the handler, which receives the file and the
            # parameters. Written through the 32-bit view, as the 32-bit
            # program under test looks it up (Wine keeps file associations
            # in the classes that both views share).
            (r"HKCR\.msu", None, "REG_SZ", "E2E.msufile"),
            (r"HKCR\E2E.msufile\shell\open\command", None, "REG_SZ",
             f'"{MSU_HANDLER}" "%1" %*'),
        ])
        # Let the server end by itself: it writes the registry files then.
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=120)
    finally:
        kill_server(prefix)
    unix_path(prefix, TOOLS_DIR).mkdir(parents=True, exist_ok=True)
    (prefix / READY_MARK).write_text(f"recipe {RECIPE_VERSION}\n")


def prefixes_root(build_dir):
    return Path(build_dir, "e2e-prefixes")


def base_prefix_path(build_dir, kind):
    return prefixes_root(build_dir) / f"base-{kind}-r{RECIPE_VERSION}"


@contextlib.contextmanager
def locked(lock_path):
    """Holds an exclusive lock on a file for the body of a with block."""
    lock_path.parent.mkdir(parents=True, exist_ok=True)
    with open(lock_path, "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            yield
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


def ensure_base(build_dir, kind):
    """The finished base prefix of this kind, made first when missing."""
    return _ensure_base(build_dir, kind)[0]


def _ensure_base(build_dir, kind):
    """(path, whether this call made it).

    Safe for several processes at once: the making runs under a lock file, in
    a temporary directory that is renamed into place only when complete, so
    an interrupted attempt never counts as a finished prefix."""
    if kind not in KINDS:
        raise ValueError(f"unknown prefix kind {kind}")
    final = base_prefix_path(build_dir, kind)
    if (final / READY_MARK).exists():
        return final, False
    with locked(prefixes_root(build_dir) / f".{kind}.lock"):
        if (final / READY_MARK).exists():
            return final, False
        if final.exists():
            shutil.rmtree(final)
        # Left by an attempt that was killed; its wineserver may still run.
        for stale in prefixes_root(build_dir).glob(f".tmp-{kind}-*"):
            kill_server(stale)
            shutil.rmtree(stale, ignore_errors=True)
        temp = Path(tempfile.mkdtemp(prefix=f".tmp-{kind}-", dir=prefixes_root(build_dir)))
        try:
            _make_base(temp, kind)
            os.rename(temp, final)
        except BaseException:
            shutil.rmtree(temp, ignore_errors=True)
            raise
    return final, True


def snapshot(base, target):
    """A private copy of a base prefix for one run: hard links for the
    files, real copies of the registry files."""
    target = Path(target)
    if target.exists():
        shutil.rmtree(target)
    target.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["cp", "-al", str(base), str(target)], check=True)
    for reg in Path(base).glob("*.reg"):
        shutil.copyfile(reg, target / (reg.name + ".copy"))
        os.replace(target / (reg.name + ".copy"), target / reg.name)
    return target


def place_file(source, target):
    """Copies a file into a snapshot without writing through a hard link
    into the base prefix."""
    target = Path(target)
    target.parent.mkdir(parents=True, exist_ok=True)
    if target.exists() or target.is_symlink():
        target.unlink()
    shutil.copyfile(source, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("kinds", nargs="+", choices=KINDS)
    args = parser.parse_args()
    for kind in args.kinds:
        start = time.monotonic()
        path, made = _ensure_base(args.build_dir, kind)
        state = "made" if made else "cached"
        print(f"{kind}: {state}, {time.monotonic() - start:.1f} s: {path}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""The end-to-end cases: a medium, a Windows flavour, and what Setup.exe must
do on it, as seen by the helper programs.

Each case lists the events it expects in order: programs started (their own
file and the command line they received), message boxes (caption, text,
buttons), shell opens of update packages, the property calls that the
capture driver's custom interface receives, and, for cases with device nodes,
the nodes left once Setup.exe has ended. Setup.exe does not wait for shell
opens, so those are compared regardless of where they fall in the log.
"""

from dataclasses import dataclass, field

from wineprefix import MSU_HANDLER

STUB = "stub"  # a copy of the stand-in installer, which records its start

IDOK = 1
DEFAULT_CAPTION = "SetupDrv"
NOT_SUPPORTED = "The driver of this version does not support this operating system."
REPLUG = "Please Re-Plugin the USB device on your computer."
START_FAILED = "CreateProcess failed."

CURRENT_VERSION = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion"
FINISH_MARK = (CURRENT_VERSION, "FinishInstall", "REG_DWORD", 1)


def prefix_wide_version(version, build, service_pack, service_pack_number):
    """Registry values that set the Windows version of the whole prefix;
    Wine honours them only while no per-program version is set."""
    nt = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"
    return [(nt, "CurrentVersion", "REG_SZ", version),
            (nt, "CurrentBuildNumber", "REG_SZ", build),
            (nt, "CSDVersion", "REG_SZ", service_pack),
            (r"HKLM\System\CurrentControlSet\Control\Windows", "CSDVersion", "REG_DWORD",
             service_pack_number << 8)]


# Versions that Wine's per-program table lacks, set for the whole prefix.
PREFIX_VERSIONS = {
    "vista_sp1": prefix_wide_version("6.0", "6001", "Service Pack 1", 1),
    "win7_no_sp": prefix_wide_version("6.1", "7600", "", 0),
}


@dataclass
class Case:
    name: str
    prefix: str                      # "win32" or "win64"
    version: str                     # Windows version for Setup.exe: a name
                                     # of Wine's table, or of PREFIX_VERSIONS
    expect: list                     # events, see process() and friends
    medium: str = r"C:\media"
    exe_name: str = "Setup.exe"
    setting_ini: str | None = None   # None: the medium has no Setting.ini
    # Files to place: path relative to the medium, or absolute (C:\...),
    # mapped to STUB or to the file's bytes.
    files: dict = field(default_factory=dict)
    # (key, name, type, data) in the view a 32-bit program sees, or with a
    # fifth item "64" for the native view of a 64-bit prefix.
    registry: list = field(default_factory=list)
    args: list = field(default_factory=list)
    answers: list = field(default_factory=list)  # button IDs, one per box
    capture_devices: list = field(default_factory=list)  # CaptureDevice, registered in order
    device_nodes: list = field(default_factory=list)     # hardware-ID lists of root nodes made before the run
    sim_only: str | None = None      # why Wine cannot show this case: it runs on the simulated machine only
    wine_expect: list | None = None  # where Wine differs from Windows: what Wine shows instead; say why beside the case
    # The system's ANSI code page; texts and file names are its bytes.
    code_page: int = 1252
    foreign_dialogs: list = field(default_factory=list)  # ForeignDialog, shown by the .msu handler
    press_completion: int | None = None  # button ID the watcher presses on the completion dialog
    sentinel: bool = False           # a sentinel window records (and refuses) the session end


# Property identifiers of the capture driver's custom interface.
PROP_CHIP_SELECT, PROP_CHIP_DATA, PROP_I2C_SELECT, PROP_I2C_DATA = 4101, 4102, 4103, 4104
PROP_DETECT_SELECT, PROP_DEVICE_INFO, PROP_DEVICE_READY = 4107, 4115, 4116
PROP_EVENT_TAG, PROP_EVENT_ADDRESS = 4135, 4136


@dataclass
class CaptureDevice:
    """A stand-in capture filter registered in the system device enumerator."""
    name: str | None                 # friendly name; None: the entry has no FriendlyName
    category: str = "video"          # "video": video-input devices; "bda": BDA receiver components
    registers: dict = field(default_factory=dict)   # register -> value of the I2C device at 160
    ready: bool = True               # property 4116 reads 1 (False: 0, powered down)
    i2c_present: bool = True         # False: selecting device 160 (4107) fails with E_FAIL
    properties: dict = field(default_factory=dict)  # values of 4115, 4135, 4136 (default 0)
    chip_registers: dict = field(default_factory=dict)  # capture-chip registers (4101/4102)
    refuse_interface: bool = False   # QueryInterface for the custom interface: E_NOINTERFACE
    bind_fails: bool = False         # the filter cannot be made (BindToObject fails)
    # (property id, "set" or "get", "once" or "always"): that call returns E_FAIL
    failures: list = field(default_factory=list)


# --- Device maintenance: what the stand-in driver receives ------------------
I2C_DEVICE = 160
E_FAIL = 0x80004005
DETECT_CAPTION = "KQ6701 Custom Property Demo"
NOT_DETECTED = "I2C device not detected"
NOT_READY = "I2C device was powered down or not ready"
DEVICE_NAME = "USB 6711 Device"  # the name looked for when the registry names none
DEVICE_NAME_KEY = r"HKLM\Software\USB6701\BDA"


def prop_set(prop, data, result=0):
    return {"event": "property", "call": "set", "id": prop, "data": data, "result": result}


def prop_get(prop, data, result=0):
    """A read; a failed one returns no data."""
    return {"event": "property", "call": "get", "id": prop,
            "data": None if result else data, "result": result}


def transfer_word(register, count=1):
    """The I2C transfer selection: bit 24, device address, register, count."""
    return 1 << 24 | I2C_DEVICE << 16 | register << 8 | count


def read_register(register, value, result=0):
    """One byte read from the I2C device; a failed read clears the selection."""
    calls = [prop_set(PROP_I2C_SELECT, transfer_word(register)),
             prop_get(PROP_I2C_DATA, [value], result)]
    return calls + ([prop_set(PROP_I2C_SELECT, 0)] if result else [])


def write_register(register, value):
    return [prop_set(PROP_I2C_SELECT, transfer_word(register)),
            prop_set(PROP_I2C_DATA, [value])]


def channel_opened(event_tag=0, event_address=0):
    """The two values the channel reads as soon as it is bound."""
    return [prop_get(PROP_EVENT_TAG, event_tag), prop_get(PROP_EVENT_ADDRESS, event_address)]


def detected(info=0):
    return [prop_set(PROP_DETECT_SELECT, I2C_DEVICE), prop_get(PROP_DEVICE_READY, 1),
            prop_get(PROP_DEVICE_INFO, info)]


def registers_read(r8, r37, r38):
    """Register 8, then the volume pair 37 and 38."""
    return read_register(8, r8) + read_register(37, r37) + read_register(38, r38)


def nodes_left(*hardware_ids):
    return {"event": "nodes_left", "hardware_ids": list(hardware_ids)}


def detection_warning(text):
    return message_box(text, caption=DETECT_CAPTION)


# Device nodes of the removal cases, by first hardware ID: the pattern
# DEVICE_PATTERN takes the first two (the second in other letter case) and
# neither the node that has it only as a later hardware ID nor the one whose
# hardware ID is shorter than the pattern.
DEVICE_PATTERN = r"USB\VID_1B80&PID_E411"
MATCHED_NODES = [[DEVICE_PATTERN + "&REV_0100", DEVICE_PATTERN],
                 [r"usb\vid_1b80&pid_e411&mi_01"]]
OTHER_NODES = [[r"USB\VID_AAAA&PID_0001", DEVICE_PATTERN], [r"USB\VID_1B80"]]
DEVICE_NODES = MATCHED_NODES + OTHER_NODES
ALL_NODES_LEFT = nodes_left(*(ids[0] for ids in DEVICE_NODES))
OTHER_NODES_LEFT = nodes_left(*(ids[0] for ids in OTHER_NODES))
REMOVE_ON_START = ("DeviceIDNum=1", "DevDrvID0=" + DEVICE_PATTERN,
                   "DelAudioRegKey=1", "DelAudioRegKeyMessage=1")


@dataclass
class ForeignDialog:
    """A top-level "#32770" dialog that the .msu handler shows once the shell has opened it."""
    # "marker_static": first child a "Static" with ID 51966, the buttons direct children;
    # "marker_edit": the last child a container whose first child is an "Edit" with ID 64430,
    #                the buttons children of that container;
    # "decoy_static_id": like marker_static, but the Static has ID 51965;
    # "decoy_edit_direct": the Edit 64430 is a direct child of the dialog, buttons beside it.
    layout: str
    buttons: tuple = (1,)            # control IDs of its "Button" children, in child (Z) order
    caption: str = "Update"
    hidden: bool = False             # created without WS_VISIBLE and never shown
    after: str | None = None         # shown only once the dialog with this caption has closed


def process(program, command_line=None):
    """A program started by Setup.exe; by default its command line is its
    path alone."""
    return {"event": "process", "module": program,
            "command_line": program if command_line is None else command_line}


def message_box(text, caption=DEFAULT_CAPTION, buttons=(IDOK,)):
    return {"event": "message_box", "caption": caption, "text": text,
            "buttons": list(buttons)}


def shell_open(file, parameters=""):
    """The .msu handler started by the shell, as its registration
    '"<handler>" "%1" %*' forms the command line."""
    command_line = f'"{MSU_HANDLER}" "{file}" {parameters}'.rstrip()
    return {"event": "shell_open", "module": MSU_HANDLER, "command_line": command_line}


# --- Completion dialog events --------------------------------------------
IDCANCEL = 2
LAUNCHER_CAPTION = "Vantrel"          # caption of the completion dialog
DEFAULT_REBOOT = "Please Reboot your computer."


def completion_dialog():
    """The completion dialog, seen by the watcher while it is visible."""
    return {"event": "completion_dialog", "caption": LAUNCHER_CAPTION,
            "buttons": [IDOK, IDCANCEL]}


def restart_prompt(text=DEFAULT_REBOOT, caption=DEFAULT_CAPTION):
    return message_box(text, caption, buttons=(IDOK, IDCANCEL))


def clicks(dialog, button):
    """One press as a foreign button receives it: the two posted messages."""
    return [{"event": "click", "dialog": dialog, "button": button, "message": "down",
             "wparam": 1, "lparam": 0},
            {"event": "click", "dialog": dialog, "button": button, "message": "up",
             "wparam": 0, "lparam": 0}]


def restart_request():
    """The session end that the restart request starts, seen by the sentinel."""
    return {"event": "restart_request"}


def ini(*lines, section="Const"):
    """Setting.ini text: one section, lines as "Key=Value"."""
    return "\r\n".join([f"[{section}]", *lines]) + "\r\n"


# A stand-in installer in every flavour's default folder, so that a wrong
# choice of flavour shows up as a wrong program.
ALL_INSTALLERS = {rf"{folder}\SetupDrv.exe": STUB
                  for folder in ("XP_x86", "XP_x64", "Vista_x86", "Vista_x64")}

XP32_INSTALLER = r"C:\media\XP_x86\SetupDrv.exe"
MSU_BYTES = b"stand-in update package\r\n"

# Package command lines at the 512-byte limit: a medium folder whose length
# puts "<folder>\Tool.exe <255-character argument> Silence" at exactly 511
# characters, and one character more. The installer lives in a short folder
# so that its own path stays far below the system's path limit.
LONG_PARAM = "p" * 255


def long_medium(length):
    return "C:\\" + "m" * (length - 3)


def package_at_limit_case(name, medium_length, runs):
    medium = long_medium(medium_length)
    installer = medium + r"\X\S.exe"
    tool_command = rf"{medium}\Tool.exe {LONG_PARAM} Silence"
    assert len(tool_command) == (511 if runs else 512), name
    return Case(
        name, "win32", "winxp",
        medium=medium,
        setting_ini=ini("SetupXPx86Path=X", "SetupXPx86Exe=S.exe", "SilenceMode=1",
                        "AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe",
                        f"LaunchAnotherAPParam={LONG_PARAM}"),
        files={r"X\S.exe": STUB, "Tool.exe": STUB},
        expect=[process(installer, installer + " Silence"),
                process(medium + r"\Tool.exe", tool_command) if runs
                else message_box(START_FAILED)],
    )


def installer_path_case(name, length, runs):
    """The driver installer at a path of `length` characters. CreateProcess
    refuses a program path of MAX_PATH (260) characters or more; Windows
    reports ERROR_PATH_NOT_FOUND, Wine ERROR_INVALID_NAME, and both show as
    the start-failed message."""
    folder_length = length - len("C:\\") - len(r"\XP_x86\SetupDrv.exe") - 1
    medium = "C:\\" + "m" * 200 + "\\" + "n" * (folder_length - 200)
    installer = medium + r"\XP_x86\SetupDrv.exe"
    assert len(installer) == length, name
    return Case(
        name, "win32", "winxp",
        medium=medium,
        files={r"XP_x86\SetupDrv.exe": STUB},
        expect=[process(installer) if runs else message_box(START_FAILED)],
    )


def vista_packages_case(name, prefix, version, opened):
    """An NT 6 system with an update package and a program in its list: the
    package is opened through the shell only where `opened` says so; the
    program runs either way."""
    bits = "x64" if prefix == "win64" else "x86"
    installer = rf"C:\media\Vista_{bits}\SetupDrv.exe"
    return Case(
        name, prefix, version,
        setting_ini=ini("AnotherAPNum=2", f"AnotherAPVista{bits}Exe0=KB100.msu",
                        f"AnotherAPVista{bits}Exe1=Tool.exe", "HotfixSilenceMode=1"),
        files={**ALL_INSTALLERS, "KB100.msu": MSU_BYTES, "Tool.exe": STUB},
        expect=[process(installer),
                *([shell_open(r"C:\media\KB100.msu", "/quiet /norestart")] if opened else []),
                process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0")],
    )


CASES = [
    # --- Choice of the driver installer -----------------------------------
    Case("xp32_default", "win32", "winxp",
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER)]),
    Case("xp64_default", "win64", "winxp64",
         files=ALL_INSTALLERS,
         expect=[process(r"C:\media\XP_x64\SetupDrv.exe")]),
    Case("vista32_default", "win32", "vista",
         files=ALL_INSTALLERS,
         expect=[process(r"C:\media\Vista_x86\SetupDrv.exe")]),
    Case("win7_64_silent", "win64", "win7",
         args=["silence"],
         files=ALL_INSTALLERS,
         expect=[process(r"C:\media\Vista_x64\SetupDrv.exe",
                         r"C:\media\Vista_x64\SetupDrv.exe Silence")]),
    Case("key_outside_const_ignored", "win32", "winxp",
         setting_ini=ini("SetupXPx86Path=", "Setup=Other", section="Other"),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER)]),

    # --- Silent mode --------------------------------------------------------
    Case("silence_word_any_case", "win32", "winxp",
         args=["SILENCE"],
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER, XP32_INSTALLER + " Silence")]),
    Case("silence_word_must_be_whole", "win32", "winxp",
         args=["silenced"],
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER)]),
    Case("silence_via_key", "win32", "winxp",
         setting_ini=ini("SilenceMode=3", "AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER, XP32_INSTALLER + " Silence"),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0 Silence")]),

    # --- Message boxes of the install sequence ------------------------------
    Case("not_supported", "win32", "winxp",
         setting_ini=ini("SetupXPx86Path="),
         # Where an empty folder text would lead, should it be used anyway.
         files={**ALL_INSTALLERS, "SetupDrv.exe": STUB},
         expect=[message_box(NOT_SUPPORTED)]),
    Case("not_supported_custom_text", "win64", "win7",
         setting_ini=ini("SetupVistax64Exe=", "Setup=MyCaption", "NoSetupPath=No driver here."),
         files=ALL_INSTALLERS,
         expect=[message_box("No driver here.", caption="MyCaption")]),
    Case("missing_installer_custom_caption", "win32", "winxp",
         setting_ini=ini("Setup=MyCaption"),
         expect=[message_box(START_FAILED, caption="MyCaption")]),

    # --- Finish mark, re-plug message and packages run after it -------------
    Case("finish_mark_set", "win32", "winxp",
         setting_ini=ini("CheckFinishInstall=1", "MustRePlugin=1",
                         "AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         registry=[FINISH_MARK],
         expect=[process(XP32_INSTALLER),
                 message_box(REPLUG),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0")]),
    Case("finish_mark_absent", "win32", "winxp",
         setting_ini=ini("CheckFinishInstall=1", "MustRePlugin=1",
                         "AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER)]),
    Case("finish_mark_other_number", "win32", "winxp",
         setting_ini=ini("CheckFinishInstall=1", "MustRePlugin=1",
                         "AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         registry=[(CURRENT_VERSION, "FinishInstall", "REG_DWORD", 2)],
         expect=[process(XP32_INSTALLER)]),
    Case("finish_mark_win7_64", "win64", "win7",
         setting_ini=ini("CheckFinishInstall=1", "MustRePlugin=1",
                         "AnotherAPNum=1", "AnotherAPVistax64Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         # Written in the 32-bit view: SOFTWARE\Wow6432Node\... natively.
         registry=[FINISH_MARK],
         expect=[process(r"C:\media\Vista_x64\SetupDrv.exe"),
                 message_box(REPLUG),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0")]),
    Case("finish_mark_win7_64_native_view_only", "win64", "win7",
         setting_ini=ini("CheckFinishInstall=1", "MustRePlugin=1",
                         "AnotherAPNum=1", "AnotherAPVistax64Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         registry=[FINISH_MARK + ("64",)],
         expect=[process(r"C:\media\Vista_x64\SetupDrv.exe")]),
    Case("replug_without_finish_check", "win32", "winxp",
         setting_ini=ini("MustRePlugin=1", "RePlugin=Plug it in again."),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER), message_box("Plug it in again.")]),

    # --- Additional packages ------------------------------------------------
    Case("packages_xp32", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=3", "AnotherAPXPx86Exe1=KB100.msu",
                         "AnotherAPXPx86Exe2=Tool.exe", "HotfixSilenceMode=1"),
         files={**ALL_INSTALLERS, "KB100.msu": MSU_BYTES, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 shell_open(r"C:\media\KB100.msu", "/quiet /norestart"),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0")]),
    Case("packages_xp64_msu_not_silent", "win64", "winxp64",
         setting_ini=ini("AnotherAPNum=2", "AnotherAPXPx64Exe0=",
                         "AnotherAPXPx64Exe1=KB100.msu"),
         files={**ALL_INSTALLERS, "KB100.msu": MSU_BYTES},
         expect=[process(r"C:\media\XP_x64\SetupDrv.exe"),
                 shell_open(r"C:\media\KB100.msu")]),
    vista_packages_case("packages_vista_msu_opened", "win32", "vista", opened=True),
    vista_packages_case("packages_win7_msu_skipped", "win32", "win7", opened=False),
    # Update packages are skipped on Vista SP1 and on Windows 7 each alone
    # (Wine's "win7" also reports Service Pack 1, so it shows both at once).
    vista_packages_case("packages_vista_sp1_msu_skipped", "win32", "vista_sp1", opened=False),
    vista_packages_case("packages_win7_without_service_pack_msu_skipped", "win64", "win7_no_sp",
                        opened=False),
    Case("packages_upper_case_msu_is_a_program", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=2", "AnotherAPXPx86Exe0=KB100.MSU",
                         "AnotherAPXPx86Exe1=Tool.exe"),
         files={**ALL_INSTALLERS, "KB100.MSU": MSU_BYTES, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 message_box(START_FAILED),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe 0")]),
    Case("packages_count_zero", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=0", "AnotherAPXPx86Exe0=Tool.exe"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER)]),
    Case("packages_empty_argument", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe",
                         "LaunchAnotherAPParam="),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 process(r"C:\media\Tool.exe", "C:\\media\\Tool.exe ")]),

    # --- Program paths --------------------------------------------------------
    Case("medium_with_blanks", "win32", "winxp",
         medium=r"C:\Driver Setup",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe"),
         # What the system's rule for unquoted command lines would run.
         files={**ALL_INSTALLERS, "Tool.exe": STUB, r"C:\Driver.exe": STUB},
         expect=[process(r"C:\Driver Setup\XP_x86\SetupDrv.exe"),
                 process(r"C:\Driver Setup\Tool.exe", r"C:\Driver Setup\Tool.exe 0")]),
    Case("renamed_setup", "win32", "winxp",
         exe_name="Setup (1).exe",
         setting_ini=ini("SetupXPx86Exe=Other.exe"),
         files={**ALL_INSTALLERS, r"XP_x86\Other.exe": STUB},
         expect=[process(r"C:\media\XP_x86\Other.exe")]),
    Case("installer_without_extension", "win32", "winxp",
         setting_ini=ini("SetupXPx86Exe=SetupDrv"),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER, r"C:\media\XP_x86\SetupDrv")]),
    Case("long_installer_command", "win32", "winxp",
         args=["silence"],
         # 505 characters, 513 with " Silence".
         setting_ini=ini("SetupXPx86Path=" + "P" * 255,
                         "SetupXPx86Exe=" + "E" * 236 + ".exe"),
         files=ALL_INSTALLERS,
         expect=[message_box(START_FAILED)]),

    # --- Arguments inside installer and package texts -------------------------
    # The program is the first text up to a blank (or the whole text), ".exe"
    # added where it has no extension, that names a file; candidates end only
    # behind the program folder. The command line stays as the texts form it.
    Case("args_installer_with_arguments", "win32", "winxp",
         setting_ini=ini("SetupXPx86Exe=SetupDrv.exe /q"),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER, XP32_INSTALLER + " /q")]),
    Case("args_package_with_arguments", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool.exe /S"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool.exe /S 0")]),
    Case("args_blanks_inside_the_file_name", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Two Words.exe /S"),
         files={**ALL_INSTALLERS, "Two Words.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 process(r"C:\media\Two Words.exe", r"C:\media\Two Words.exe /S 0")]),
    Case("args_folder_with_blanks_and_a_planted_program", "win32", "winxp",
         medium=r"C:\Driver Setup",
         setting_ini=ini("SetupXPx86Exe=SetupDrv.exe /q"),
         files={**ALL_INSTALLERS, r"C:\Driver.exe": STUB},
         expect=[process(r"C:\Driver Setup\XP_x86\SetupDrv.exe",
                         r"C:\Driver Setup\XP_x86\SetupDrv.exe /q")]),
    Case("args_folder_with_blanks_planted_program_no_installer", "win32", "winxp",
         medium=r"C:\Driver Setup",
         setting_ini=ini("SetupXPx86Exe=SetupDrv.exe /q"),
         files={r"C:\Driver.exe": STUB},
         expect=[message_box(START_FAILED)]),
    Case("args_no_extension", "win32", "winxp",
         setting_ini=ini("SetupXPx86Exe=SetupDrv /q"),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER, r"C:\media\XP_x86\SetupDrv /q")]),
    Case("args_file_exists_only_with_exe_added", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Tool /S"),
         files={**ALL_INSTALLERS, "Tool.exe": STUB},
         expect=[process(XP32_INSTALLER),
                 process(r"C:\media\Tool.exe", r"C:\media\Tool /S 0")]),
    Case("args_no_candidate_is_a_file", "win32", "winxp",
         setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=Missing.exe /S"),
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER), message_box(START_FAILED)]),

    installer_path_case("installer_path_259_runs", 259, runs=True),
    installer_path_case("installer_path_260_refused", 260, runs=False),
    # "." and ".." in an entry are resolved by the system: the child's own
    # path is the normalised one, its command line the text as formed.
    Case("package_entry_with_dot_dot", "win32", "winxp",
         medium=r"C:\media\disk1",
         setting_ini=ini("AnotherAPNum=1", r"AnotherAPXPx86Exe0=..\Tools\.\Tool.exe"),
         files={**ALL_INSTALLERS, r"C:\media\Tools\Tool.exe": STUB},
         expect=[process(r"C:\media\disk1\XP_x86\SetupDrv.exe"),
                 process(r"C:\media\Tools\Tool.exe", r"C:\media\disk1\..\Tools\.\Tool.exe 0")]),
    # Code page 950: the program renamed to 許.exe, whose second byte is the
    # byte of "\" (B3 5C). The program folder is still C:\media; read by
    # bytes it would be C:\media\<B3> and nothing would be found.
    Case("renamed_setup_code_page_950", "win32", "winxp",
         exe_name="\u8a31.exe",
         code_page=950,
         files=ALL_INSTALLERS,
         expect=[process(XP32_INSTALLER)]),
    package_at_limit_case("package_command_511_runs", 238, runs=True),
    package_at_limit_case("package_command_512_refused", 239, runs=False),
    # --- Device maintenance -------------------------------------------------
    Case("device_xp_register8_rewritten", "win32", "winxp",
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, registers={8: 80, 38: 1})],
         expect=[process(XP32_INSTALLER),
                 *channel_opened(), *detected(), *registers_read(80, 0, 1),
                 *write_register(8, 208),
                 message_box(REPLUG)]),
    # The registry's name finds nothing; of the fallback names "USB 6704
    # Device" (BDA) comes before "USB 6705 Device" (video input).
    Case("device_fallback_name_bda", "win32", "winxp",
         files=ALL_INSTALLERS,
         registry=[(DEVICE_NAME_KEY, "RealDSName", "REG_SZ", "Missing Cam")],
         capture_devices=[CaptureDevice("USB 6705 Device", registers={8: 80}),
                          CaptureDevice("USB 6704 Device", category="bda", registers={8: 208})],
         expect=[process(XP32_INSTALLER), *channel_opened(), *detected(),
                 *registers_read(208, 0, 0)]),
    # Property 4116 reads 0: the warning for status 21, then the run goes on.
    Case("device_not_ready_warning_then_rewrite", "win32", "winxp",
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, ready=False, registers={8: 80})],
         expect=[process(XP32_INSTALLER),
                 *channel_opened(),
                 prop_set(PROP_DETECT_SELECT, I2C_DEVICE), prop_get(PROP_DEVICE_READY, 0),
                 detection_warning(NOT_READY),
                 *registers_read(80, 0, 0), *write_register(8, 208),
                 message_box(REPLUG)]),
    # DelAudioRegKey: the matched nodes go at the start of the procedure.
    Case("device_nodes_removed_by_pattern", "win32", "winxp",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         device_nodes=DEVICE_NODES,
         capture_devices=[CaptureDevice(DEVICE_NAME, registers={8: 208, 38: 1})],
         expect=[process(XP32_INSTALLER), *channel_opened(), *detected(),
                 *registers_read(208, 0, 1), message_box(REPLUG), OTHER_NODES_LEFT]),
    Case("device_node_not_present_is_not_recorded", "win32", "winxp",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         # The pattern's only present node has it as a later hardware ID, so
         # the pattern is never recorded and the non-present node stays.
         device_nodes=[{"hardware_ids": MATCHED_NODES[0], "present": False}, *OTHER_NODES],
         capture_devices=[CaptureDevice(DEVICE_NAME, registers={8: 208, 38: 1})],
         expect=[process(XP32_INSTALLER), *channel_opened(), *detected(),
                 *registers_read(208, 0, 1), message_box(REPLUG),
                 nodes_left(MATCHED_NODES[0][0], *(ids[0] for ids in OTHER_NODES))],
         sim_only="Wine ignores DIGCF_PRESENT: a node cannot be listed but not present"),
    # --- Device maintenance: finding the capture filter -----------------------
    # The default name is a prefix and case-sensitive: the lower-case device
    # (listed first) is passed over. XP moves register 8 from 80 to 208 and
    # asks for the device to be plugged in again.
    Case("device_suffixed_name_xp_rewrites_register_8", "win32", "winxp",
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME.lower(), registers={8: 208}),
                          CaptureDevice(DEVICE_NAME + " #2", registers={8: 80},
                                        properties={PROP_DEVICE_INFO: 7})],
         expect=[process(XP32_INSTALLER),
                 *channel_opened(), *detected(info=7), *registers_read(80, 0, 0),
                 *write_register(8, 208),
                 message_box(REPLUG)]),
    # The same name in both categories: the video-input device is taken, and
    # Windows 7 moves its register 8 from 208 to 80.
    Case("device_video_input_over_bda_win7_rewrites_register_8", "win64", "win7",
         setting_ini=ini("EnableAudioClass=1"),
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, category="bda", registers={8: 80}),
                          CaptureDevice(DEVICE_NAME, registers={8: 208, 37: 3})],
         expect=[process(r"C:\media\Vista_x64\SetupDrv.exe"),
                 *channel_opened(), *detected(), *registers_read(208, 3, 0),
                 *write_register(8, 80),
                 message_box(REPLUG)]),
    # An empty wanted name matches every device whose name can be read; one
    # without a friendly name never matches.
    Case("device_without_friendly_name_never_matches", "win32", "winxp",
         files=ALL_INSTALLERS,
         registry=[(DEVICE_NAME_KEY, "RealDSName", "REG_SZ", ""),
                   (DEVICE_NAME_KEY, "DSName", "REG_SZ", "USB 6709 Device")],
         capture_devices=[CaptureDevice(None, registers={8: 80}),
                          CaptureDevice("Any Camera", registers={8: 208})],
         expect=[process(XP32_INSTALLER),
                 *channel_opened(), *detected(), *registers_read(208, 0, 0)]),
    # The first matching filter refuses the custom interface: the search ends
    # there, although a later device would have answered.
    Case("device_refused_interface_ends_search", "win32", "winxp",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, refuse_interface=True),
                          CaptureDevice(DEVICE_NAME + " 2", registers={8: 80})],
         device_nodes=DEVICE_NODES,
         expect=[process(XP32_INSTALLER), ALL_NODES_LEFT]),
    # A filter that cannot be made is passed over; the next device binds.
    Case("device_bind_failure_next_device", "win32", "winxp",
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, bind_fails=True, registers={8: 80}),
                          CaptureDevice(DEVICE_NAME + " 2", registers={8: 208})],
         expect=[process(XP32_INSTALLER),
                 *channel_opened(), *detected(), *registers_read(208, 0, 0)]),
    # No capture device: all 32 searches find nothing, and the node removal
    # asked for by DelAudioRegKey does not happen.
    Case("device_absent_nodes_kept", "win32", "winxp",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         device_nodes=DEVICE_NODES,
         expect=[process(XP32_INSTALLER), ALL_NODES_LEFT]),

    # --- Device maintenance: detection, volume, node removal -----------------
    # Detection and every register read fail; the nodes are removed at the
    # start of the procedure and the user is asked to plug the device in.
    Case("device_not_detected_reads_fail_nodes_removed", "win32", "winxp",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, i2c_present=False, registers={8: 80},
                                        failures=[(PROP_I2C_DATA, "get", "always")])],
         device_nodes=DEVICE_NODES,
         expect=[process(XP32_INSTALLER),
                 *channel_opened(),
                 prop_set(PROP_DETECT_SELECT, I2C_DEVICE, E_FAIL),
                 detection_warning(NOT_DETECTED),
                 *read_register(8, None, E_FAIL), *read_register(37, None, E_FAIL),
                 *read_register(38, None, E_FAIL),
                 message_box(REPLUG),
                 OTHER_NODES_LEFT]),
    # EnableXPAudioClass: register 8 from 208 to 80, the matched nodes removed
    # right after, then the volume fix (38 = 1, then 37 = 0).
    Case("device_xp_audio_class_volume_fix_nodes_removed", "win32", "winxp",
         setting_ini=ini("EnableXPAudioClass=1", "EnableAudioVol=1",
                         "DeviceIDNum=1", "DevDrvID0=" + DEVICE_PATTERN),
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, registers={8: 208, 37: 5, 38: 0})],
         device_nodes=DEVICE_NODES,
         expect=[process(XP32_INSTALLER),
                 *channel_opened(), *detected(), *registers_read(208, 5, 0),
                 *write_register(8, 80),
                 *write_register(38, 1), *write_register(37, 0),
                 message_box(REPLUG),
                 OTHER_NODES_LEFT]),
    # 64-bit Windows refuses a 32-bit program's device removal
    # (ERROR_IN_WOW64), so every node stays; Wine removes them regardless,
    # which wine_expect shows.
    Case("device_nodes_removal_refused_on_64_bit", "win64", "winxp64",
         setting_ini=ini(*REMOVE_ON_START),
         files=ALL_INSTALLERS,
         capture_devices=[CaptureDevice(DEVICE_NAME, registers={8: 208, 37: 0, 38: 1})],
         device_nodes=DEVICE_NODES,
         expect=[process(r"C:\media\XP_x64\SetupDrv.exe"),
                 *channel_opened(), *detected(), *registers_read(208, 0, 1),
                 message_box(REPLUG),
                 ALL_NODES_LEFT],
         wine_expect=[process(r"C:\media\XP_x64\SetupDrv.exe"),
                      *channel_opened(), *detected(), *registers_read(208, 0, 1),
                      message_box(REPLUG),
                      OTHER_NODES_LEFT]),
]

# --- Completion dialog, foreign-dialog auto-confirm and restart -------------
# An XP system with one update package opened through the shell; the .msu
# handler shows the case's foreign dialogs. The completion dialog is visible
# from its creation until the first tick of its timer, which is long enough
# here for the watcher to see it (the case asks for it with `visible`).
def dialog_case(name, foreign_dialogs, then, *, enable_timer=1, wait_timer=1000, settings=(),
                answers=(), press_completion=None, visible=True):
    return Case(
        name, "win32", "winxp",
        setting_ini=ini("AnotherAPNum=1", "AnotherAPXPx86Exe0=KB100.msu",
                        "HotfixSilenceMode=1", f"EnableTimer={enable_timer}",
                        f"WaitTimer={wait_timer}",
                        *settings),
        files={**ALL_INSTALLERS, "KB100.msu": MSU_BYTES},
        foreign_dialogs=list(foreign_dialogs),
        answers=list(answers),
        press_completion=press_completion,
        sentinel=True,
        expect=[process(XP32_INSTALLER),
                shell_open(r"C:\media\KB100.msu", "/quiet /norestart"),
                *([completion_dialog()] if visible else []),
                *then],
    )


REBOOT_ON = "HotfixMustRebootMessage=1"

CASES += [
    # A marker-static dialog (its ID-1 button pressed, the wait goes on: its
    # ID-2 button, after it, is left), then a marker-edit dialog that ends the
    # wait; the restart asked with the medium's texts, answered OK.
    dialog_case("dialog_static_then_edit_restart_ok",
                [ForeignDialog("marker_static", (1, 2), "Update"),
                 ForeignDialog("marker_edit", (1,), "Confirm update", after="Update")],
                settings=[REBOOT_ON, "Setup=Vantrel Setup", "HotfixReBoot=Restart now?"],
                answers=[IDOK],
                then=[*clicks("Update", 1), *clicks("Confirm update", 1),
                      restart_prompt("Restart now?", "Vantrel Setup"), restart_request()]),
    # The prompt's default texts; Cancel: no restart request.
    dialog_case("dialog_edit_restart_cancel_default_texts",
                [ForeignDialog("marker_edit", (3, 1), "Confirm update")],
                settings=[REBOOT_ON], answers=[IDCANCEL],
                then=[*clicks("Confirm update", 1), restart_prompt()]),
    # Decoys shown at the same time as the marker are never pressed; the
    # marker's ID-2 button ends the wait, without a prompt.
    dialog_case("dialog_decoys_never_pressed",
                [ForeignDialog("decoy_static_id", (1,), "Decoy static"),
                 ForeignDialog("decoy_edit_direct", (1,), "Decoy edit"),
                 ForeignDialog("marker_static", (2,), "Update")],
                then=clicks("Update", 2)),
    # A hidden dialog is pressed too. Its ID-2 button ends the wait; the ID-1
    # button after it is pressed as well, but the dialog has closed by then,
    # so that press never arrives.
    dialog_case("dialog_hidden_static_2_then_1",
                [ForeignDialog("marker_static", (2, 1), "Hidden update", hidden=True)],
                settings=[REBOOT_ON], answers=[IDOK],
                then=[*clicks("Hidden update", 2), restart_prompt(), restart_request()]),
    # Two marker dialogs at once: the static one's ID 1 (pass one), then the
    # edit one's ID 1 (pass two), which ends the wait.
    dialog_case("dialog_two_at_once",
                [ForeignDialog("marker_static", (1,), "First"),
                 ForeignDialog("marker_edit", (1,), "Second")],
                then=[*clicks("First", 1), *clicks("Second", 1)]),
    # The user's Cancel before the first tick ends the run with no prompt;
    # the foreign dialog is never pressed.
    dialog_case("dialog_user_cancel_before_first_tick",
                [ForeignDialog("marker_static", (2,), "Update")],
                wait_timer=20000, settings=[REBOOT_ON], press_completion=IDCANCEL,
                then=[]),
    # The user's OK before the first tick is the finish path: the prompt,
    # owned by the completion dialog, answered OK.
    dialog_case("dialog_user_ok_restart",
                [], wait_timer=20000, settings=[REBOOT_ON], answers=[IDOK],
                press_completion=IDOK,
                then=[restart_prompt(), restart_request()]),
    # Without the timer the finish path runs inside the dialog's
    # initialisation: it is never visible, and the foreign dialog is left.
    dialog_case("dialog_timer_off_foreign_dialog_left",
                [ForeignDialog("marker_static", (2,), "Update")],
                enable_timer=0, visible=False,
                then=[]),
    # No update package: the run ends at once, the prompt (owned by the
    # dialog that was never shown) answered Cancel.
    Case("dialog_no_shell_package", "win32", "winxp",
         setting_ini=ini("EnableTimer=1", "WaitTimer=100", REBOOT_ON),
         files=ALL_INSTALLERS,
         answers=[IDCANCEL],
         sentinel=True,
         expect=[process(XP32_INSTALLER), restart_prompt()]),
]


CASES_BY_NAME = {case.name: case for case in CASES}
assert len(CASES_BY_NAME) == len(CASES), "case names must be unique"

"""Finding and calling the Tallimo programs from inside Calc.

The extensions never write the settings store or the clipboard themselves: `tallimo-addin`
does, with the same code the programs use. It is found through TALLIMO_ADDIN, else through the
program folder that environment maintenance recorded when it registered the add-in files.
"""

import json
import os
import subprocess
import tempfile

ADDIN_ENV = "TALLIMO_ADDIN"
EXIT_NO_WINDOW = 3
TIMEOUT_SECONDS = 30


class ProgramError(Exception):
    """A Tallimo program could not be run or reported a failure; the text is for the user."""


def _data_home():
    return os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")


def registry_path():
    return os.path.join(_data_home(), "RivaDare4Ruzar", "AddIns", "addins.json")


def registry_paths():
    """The user's own registration first, then those made for every user (maintenance as root)."""
    shared = os.environ.get("XDG_DATA_DIRS") or "/usr/local/share:/usr/share"
    return [registry_path()] + [os.path.join(folder, "RivaDare4Ruzar", "AddIns", "addins.json")
                                for folder in shared.split(":") if folder]


def _registered_program_folders():
    folders = []
    for path in registry_paths():
        try:
            with open(path, encoding="utf-8") as registry:
                entries = json.load(registry)
        except (OSError, ValueError):
            continue
        if isinstance(entries, list):
            folders += [entry["programs"] for entry in entries
                        if isinstance(entry, dict) and isinstance(entry.get("programs"), str)]
    return folders


def addin_program():
    """The path of tallimo-addin, or None when no installation can be found."""
    given = os.environ.get(ADDIN_ENV)
    if given:
        return given if os.access(given, os.X_OK) else None
    for folder in _registered_program_folders():
        # The stand-in lies one folder above the programs (Data/).
        for candidate in (os.path.join(folder, os.pardir, "tallimo-addin"),
                          os.path.join(folder, "tallimo-addin")):
            if os.access(candidate, os.X_OK):
                return os.path.normpath(candidate)
    return None


def run_addin(args, stdin_bytes=None):
    """Runs tallimo-addin without a shell; returns (exit code, stdout text, stderr text)."""
    program = addin_program()
    if program is None:
        raise ProgramError("找不到 Tallimo 程序（tallimo-addin），请在 Tallimo 中运行环境维护。")
    # Files, not pipes: a program that `start` leaves running (and a clipboard server) inherits
    # them, and reading a pipe to its end would wait for that program to end.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            done = subprocess.run([program] + list(args), input=stdin_bytes, stdout=out,
                                  stderr=err, timeout=TIMEOUT_SECONDS, check=False)
        except (OSError, subprocess.TimeoutExpired) as error:
            raise ProgramError("无法运行 %s：%s" % (program, error)) from error
        out.seek(0)
        err.seek(0)
        return (done.returncode, out.read().decode("utf-8", "replace"),
                err.read().decode("utf-8", "replace"))


def setting(section, key):
    """A value of the settings store; empty when absent."""
    code, out, err = run_addin(["settings", "get", section, key])
    if code != 0:
        raise ProgramError(err.strip())
    return out[:-1] if out.endswith("\n") else out

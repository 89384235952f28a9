#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Compares the functions the .exe imports (its import table, read by the toolchain's objdump)
with platform/win32/imports.txt, where each has the oldest Windows that has it. The program runs on
Windows 7 SP1 and later: a function Windows 7 lacks would stop it from starting there, so it must
be looked up at run time instead. A new import fails until it is listed, a listed one that is gone
until it is deleted.

Usage: check_imports.py PROGRAM.exe OBJDUMP [--write]
--write rewrites the list from the .exe: the versions of the functions it already has stay, new
ones get "?" to fill in.
"""
import os
import re
import subprocess
import sys

LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "platform",
                    "win32", "imports.txt")
# Oldest first; the program's oldest Windows is 7 (with Service Pack 1).
WINDOWS = ["2000", "XP", "Vista", "7", "8", "8.1", "10"]
OLDEST = "7"
HEADER = """\
# SPDX-License-Identifier: MIT
# Every function the Windows program imports, as dll!function, and the oldest Windows that has it:
# 2000, XP, Vista, 7, 8, 8.1 or 10. The program runs on Windows 7 SP1, so none may be newer than 7;
# a newer one is looked up at run time (GetProcAddress). tests/platform/win32/check_imports.py
# compares this list with the built .exe, and rewrites it with --write.
"""


def imports(program, objdump):
    """{"dll!function"} of the import table; a function imported by number is "dll!#number"."""
    dump = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                          check=True).stdout
    found, dll = set(), None
    for line in dump.splitlines():
        if match := re.match(r"\s*DLL Name: (\S+)", line):
            dll = match[1].lower()
        elif not line.strip():
            dll = None
        elif dll and (match := re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)", line)):
            found.add(f"{dll}!{match[2] if match[2] != '<none>' else '#' + match[1]}")
    return found


def listed():
    """{"dll!function": oldest Windows} from the list; comment lines start with #."""
    entries = {}
    if not os.path.exists(LIST):
        return entries
    with open(LIST, encoding="utf-8") as lines:
        for number, text in enumerate(lines, 1):
            if text.startswith("#") or not text.strip():
                continue
            fields = text.split()
            if len(fields) != 2 or "!" not in fields[0]:
                sys.exit(f"imports.txt:{number}: not 'dll!function oldest-Windows': {text!r}")
            dll, _, function = fields[0].partition("!")
            entries[f"{dll.lower()}!{function}"] = fields[1]
    return entries


def line(name, windows):
    return f"{name:<48} {windows}"


def main(program, objdump, write=False):
    found, entries = imports(program, objdump), listed()
    if write:
        with open(LIST, "w", encoding="utf-8") as out:
            out.write(HEADER)
            for name in sorted(found, key=str.lower):
                out.write(line(name, entries.get(name, "?")) + "\n")
        print(f"wrote {LIST}")
        return 0

    failures = []
    new = sorted(found - entries.keys(), key=str.lower)
    if new:
        failures.append(
            "the program imports functions the list lacks. Add these lines to "
            "platform/win32/imports.txt (or run this script with --write), each ? replaced with the "
            "oldest Windows that has the function, from its documentation:\n"
            + "\n".join(line(name, "?") for name in new))
    gone = sorted(entries.keys() - found, key=str.lower)
    if gone:
        failures.append("the program no longer imports these; delete their lines from "
                        "platform/win32/imports.txt:\n" + "\n".join(gone))
    for name in sorted(found & entries.keys(), key=str.lower):
        windows = entries[name]
        if windows not in WINDOWS:
            failures.append(f"{name}: '{windows}' in platform/win32/imports.txt; write the oldest "
                            f"Windows that has the function instead, one of {', '.join(WINDOWS)}")
        elif WINDOWS.index(windows) > WINDOWS.index(OLDEST):
            function = name.split("!", 1)[1]
            failures.append(
                f"{name} needs Windows {windows}, but the program must start on Windows 7 SP1: "
                f"look {function} up at run time instead (GetProcAddress, as win32/Forms.cpp "
                f"does for GetDpiForWindow) and fall back when it is missing")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--write"]):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], write=len(sys.argv) == 4))

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The Windows Installer package under Wine, as a user meets it: in a fresh Wine prefix on a
private Xvfb display, a silent install; the installed program, its Start-menu shortcut and its
Apps & features entry; the program started from the shortcut, its main window, closed; the next
release installed over it, which must replace it; this release installed over that, which must be
refused and leave it intact; and the uninstall command of the Apps & features entry, which must
leave no file, shortcut or registry entry of the program behind.

Usage: install_wine.py WINE PACKAGE.msi NEXT_RELEASE.msi PROGRAM.exe PREFIX VERSION
PREFIX is made afresh (any old one is deleted), and the installer's logs are written beside it;
VERSION is the one Apps & features must show. Exits 77 (skipped) when Wine, Xvfb, xdotool or
msiinfo is missing.
"""

import os
import re
import subprocess
import sys
import unittest

import harness
from harness import wait_for

NAME = "Velmora Temperature Converter"
PUBLISHER = "The Velmora developers"
UNINSTALL = "software\\microsoft\\windows\\currentversion\\uninstall"

WINE = PACKAGE = NEXT_RELEASE = PROGRAM = PREFIX = VERSION = None


def table(package, name):
    """The rows of one of the package's tables, each a list of its columns' texts."""
    text = subprocess.run(["msiinfo", "export", package, name], capture_output=True, text=True,
                          check=True).stdout
    return [line.split("\t") for line in text.splitlines()[3:]]


def properties(package):
    """The package's Property table: ProductCode, ProductVersion, UpgradeCode..."""
    return {row[0]: "\t".join(row[1:]) for row in table(package, "Property")}


def release(package):
    """The release a package installs, as Apps & features shows it: its ProductVersion carries
    the release's fourth part in the third, the only parts Windows Installer compares."""
    major, minor, number = properties(package)["ProductVersion"].split(".")
    return f"{major}.{minor}.0.{number}"


def packed(guid):
    """A GUID as Windows Installer writes it into registry key names."""
    digits = guid.strip("{}").replace("-", "").upper()
    pairs = [digits[i:i + 2][::-1] for i in range(16, 32, 2)]
    return digits[7::-1] + digits[11:7:-1] + digits[15:11:-1] + "".join(pairs)


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def registry():
    """{key, lower case: {value name: text}} of the machine and the user, from the files the Wine
    server writes when it ends; HKCU keys start with "hkcu\\"."""
    keys = {}
    for file, root in (("system.reg", ""), ("user.reg", "hkcu\\")):
        values = None
        with open(os.path.join(PREFIX, file), encoding="utf-8", errors="replace") as lines:
            for line in lines:
                if match := re.match(r"^\[(.*)\] \d+$", line):
                    values = keys.setdefault(root + unescape(match[1]).lower(), {})
                elif values is not None and (
                        match := re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)):
                    value = match[2]
                    if string := re.fullmatch(r'(?:str\(\d\):)?"(.*)"', value):
                        value = unescape(string[1])
                    elif number := re.fullmatch(r"dword:([0-9a-f]{8})", value):
                        value = int(number[1], 16)
                    values[unescape(match[1])] = value
    return keys


def registry_lines(keys):
    """Every key, and every value as "key: name=value", in lower case."""
    lines = set(keys)
    for key, values in keys.items():
        lines.update(f"{key}: {name}={value}".lower() for name, value in values.items())
    return lines


def files():
    """Every path in the prefix's drive C:, relative to it."""
    root = os.path.join(PREFIX, "drive_c")
    found = set()
    for folder, folders, names in os.walk(root):
        for name in folders + names:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def user_profile():
    """The Wine user's profile folder, the one in C:\\users beside Public."""
    users = os.path.join(PREFIX, "drive_c/users")
    profiles = [name for name in os.listdir(users) if name != "Public"]
    if len(profiles) != 1:
        raise AssertionError(f"profiles: {profiles}")
    return os.path.join(users, profiles[0])


def windows_path(unix):
    return "C:\\" + os.path.relpath(unix, os.path.join(PREFIX, "drive_c")).replace("/", "\\")


def shortcut_target(link):
    """(target path, working folder, icon location or None) of a shell link (.lnk) file."""
    with open(link, "rb") as file:
        data = file.read()
    flags = int.from_bytes(data[0x14:0x18], "little")
    at = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    target = None
    if flags & 0x2:  # HasLinkInfo: the local base path, in the ANSI code page
        base = at + int.from_bytes(data[at + 16:at + 20], "little")
        target = data[base:data.index(b"\0", base)].decode("latin-1")
        at += int.from_bytes(data[at:at + 4], "little")
    strings = {}
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = int.from_bytes(data[at:at + 2], "little")
            width = 2 if flags & 0x80 else 1  # IsUnicode
            text = data[at + 2:at + 2 + width * count]
            strings[name] = text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + width * count
    return target, strings.get("folder"), strings.get("icon")


def visible_entries(keys):
    """{key: values} of the programs Apps & features lists, for the machine and the user."""
    entries = {}
    for key, values in keys.items():
        parent = key.removeprefix("hkcu\\").rpartition("\\")[0]
        if parent == UNINSTALL and "DisplayName" in values and values.get("SystemComponent") != 1:
            entries[key] = values
    return entries


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A session of its own, with no probe: its server must end after each step, to write the
        # registry that the test reads.
        cls.session = harness.WineSession(WINE, prefix=PREFIX, fresh=True).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.session.__exit__(None, None, None)

    def wine(self, *arguments):
        """Runs a Wine command to its end and waits for the Wine server to write the registry."""
        code = self.session.run(*arguments)
        harness.wait_for_wine_server()
        return code

    def msiexec(self, step, *arguments, succeeds=True):
        """Runs msiexec quietly, with a log beside the prefix; fails the test when it fails (or,
        with succeeds=False, when it succeeds). Returns the log's text."""
        log = f"{PREFIX}-{step}.log"
        log_path = "Z:" + log.replace("/", "\\")
        code = self.wine("msiexec", *arguments, "/qn", "/l*v", log_path)
        self.assertEqual(code == 0, succeeds,
                         f"{step}: msiexec {' '.join(arguments)} returned {code}; see {log}")
        with open(log, "rb") as text:
            data = text.read()
        return data.decode("utf-16" if data.startswith((b"\xff\xfe", b"\xfe\xff")) else "utf-8",
                           errors="replace")

    def window_ids(self):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{NAME}$"],
                               capture_output=True, text=True, check=False)
        return found.stdout.split()

    def test_install_start_upgrade_uninstall(self):
        files_before, registry_before = files(), registry_lines(registry())
        package, next_release = properties(PACKAGE), properties(NEXT_RELEASE)
        self.assertEqual(release(PACKAGE), VERSION)
        # Windows Installer sees the program's version, and so replaces an older copy of it.
        versions = {row[0]: row[4] for row in table(PACKAGE, "File")}
        self.assertEqual(versions["Program"], VERSION, "the program's version in the File table")

        self.msiexec("install", "/i", PACKAGE)
        keys = registry()

        # The program in the user's programs folder, exactly as built, with its licence.
        profile = user_profile()
        programs = os.path.join(profile, "AppData/Local/Programs", NAME)
        installed = os.path.join(programs, f"{NAME}.exe")
        with open(installed, "rb") as copy, open(PROGRAM, "rb") as built:
            self.assertEqual(copy.read(), built.read(), "the installed program")
        self.assertEqual(sorted(os.listdir(programs)), ["LICENSE.txt", f"{NAME}.exe"])

        # The Start-menu shortcut starts it in its folder, with its icon.
        link = os.path.join(profile, "AppData/Roaming/Microsoft/Windows/Start Menu/Programs",
                            f"{NAME}.lnk")
        target, folder, icon = shortcut_target(link)
        self.assertEqual(target, windows_path(installed))
        self.assertEqual(folder.rstrip("\\"), windows_path(programs))
        self.assertIn(icon, (None, windows_path(installed)))

        # One entry in Apps & features, the user's, with all it shows.
        entries = visible_entries(keys)
        self.assertEqual(list(entries), [f"hkcu\\{UNINSTALL}\\{NAME.lower()}"])
        entry = next(iter(entries.values()))
        self.assertEqual({name: entry.get(name) for name in
                          ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon",
                           "UninstallString")},
                         {"DisplayName": NAME, "DisplayVersion": VERSION, "Publisher": PUBLISHER,
                          "DisplayIcon": windows_path(installed),
                          "UninstallString": f"MsiExec.exe /X{package['ProductCode']}"})
        size = os.path.getsize(installed) + os.path.getsize(os.path.join(programs, "LICENSE.txt"))
        self.assertEqual(entry.get("EstimatedSize"), (size + 1023) // 1024, "size in KiB")

        # Opened through the shell, as a click on it does, the shortcut starts the program: its
        # main window appears, and closes when asked to (taskkill without /f sends WM_CLOSE).
        self.assertEqual(self.session.run("start", windows_path(link)), 0)
        wait_for("the main window", self.window_ids, timeout=20)
        self.assertEqual(self.session.run("taskkill", "/im", f"{NAME}.exe"), 0)
        wait_for("the main window to close", lambda: not self.window_ids(), timeout=20)
        # Returns once every Wine process has ended, the program too.
        harness.wait_for_wine_server(timeout=60)

        # The next release replaces this one: one entry, of the new version, and this release
        # unregistered.
        self.msiexec("upgrade", "/i", NEXT_RELEASE)
        keys = registry()
        entries = visible_entries(keys)
        self.assertEqual([e.get("DisplayVersion") for e in entries.values()],
                         [release(NEXT_RELEASE)])
        self.assertEqual([key for key in keys if packed(package["ProductCode"]).lower() in key],
                         [], "keys of the replaced release")
        self.assertTrue(os.path.isfile(installed))

        # This release, older, refuses to replace the next one and leaves it as it was.
        def program_state():
            return files(), {line for line in registry_lines(registry()) if "velmora" in line}
        upgraded_state = program_state()
        log = self.msiexec("downgrade", "/i", PACKAGE, succeeds=False)
        # It found the later release, and a launch condition with a message stopped it on that
        # (Wine logs neither the condition's message nor which condition failed).
        self.assertIn(f"LATERRELEASEFOUND = {next_release['ProductCode']}", log)
        self.assertTrue([message for condition, message in table(PACKAGE, "LaunchCondition")
                         if "LATERRELEASEFOUND" in condition and NAME in message])
        self.assertEqual(program_state(), upgraded_state, "after the refused downgrade")

        # Its uninstall command, as Apps & features runs it (quietly), leaves nothing behind:
        # no file, shortcut or registry key or value that names the program or its packages.
        command, *arguments = next(iter(entries.values()))["UninstallString"].split()
        self.assertEqual(command, "MsiExec.exe")
        self.msiexec("uninstall", *arguments)
        # Windows Installer's own caches may stay, empty.
        left = sorted(path for path in files() - files_before
                      if not (path.endswith("Installer") and
                              not os.listdir(os.path.join(PREFIX, "drive_c", path))))
        self.assertEqual(left, [], "files left behind")
        codes = (package["ProductCode"], next_release["ProductCode"])
        marks = ["velmora", *(code.strip("{}").lower() for code in codes),
                 *(packed(code).lower() for code in (*codes, package["UpgradeCode"]))]
        left = sorted(line for line in registry_lines(registry()) - registry_before
                      if any(mark in line for mark in marks))
        self.assertEqual(left, [], "registry entries left behind")


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    WINE, PACKAGE, NEXT_RELEASE, PROGRAM, PREFIX, VERSION = sys.argv[1:7]
    harness.require(WINE, "wineserver", "Xvfb", "xdotool", "msiinfo")
    unittest.main(argv=sys.argv[:1], verbosity=2)

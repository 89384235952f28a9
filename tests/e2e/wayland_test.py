#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end test on Wayland: the real program on a private headless weston, with Qt's Wayland
platform and no X display to fall back on, read through the accessibility bus and the
compositor's own screenshots.

A headless weston has no seat, so nothing here can type, click or press a key: text goes in as a
screen reader inserts it, About and the close picture are pressed as a screen reader presses them.
The keyboard focus, F1, Escape, real clicks and where the compositor places the windows are left
to a desktop session.

Run it inside its own D-Bus session: dbus-run-session -- python3 wayland_test.py PROGRAM
"""

import os
import subprocess
import sys
import tempfile
import time
import unittest

from e2e_test import (ABOUT_NAME, MAIN_TITLE, Atspi, descendants, text_of,  # noqa: F401
                      wait_for)

PROGRAM = None
SKIPPED = 77


def red_pixels(directory):
    """Pixels of the compositor's output in the red of the program's pictures, which weston's
    own desktop does not have."""
    before = set(os.listdir(directory))
    subprocess.run(["weston-screenshooter"], cwd=directory, check=True, timeout=15,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shot = os.path.join(directory, (set(os.listdir(directory)) - before).pop())
    rgb = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    os.remove(shot)
    return sum(1 for i in range(0, len(rgb), 3)
               if rgb[i] >= 150 and rgb[i + 1] <= 80 and rgb[i + 2] <= 80)


class Compositor:
    """A headless weston on a private socket, and the accessibility bus."""

    def __init__(self):
        self.runtime = tempfile.mkdtemp(prefix="velmora-wayland-")  # mode 0700
        self.socket = "velmora-e2e"
        self.environment = dict(os.environ, XDG_RUNTIME_DIR=self.runtime,
                                WAYLAND_DISPLAY=self.socket)
        self.environment.pop("DISPLAY", None)  # no X server to fall back on
        # pixman, so that it can take screenshots; --debug lets weston-screenshooter ask.
        self.weston = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", f"--socket={self.socket}",
             "--idle-time=0", "--use-pixman", "--debug", "--width=1280", "--height=1024"],
            env=self.environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("weston's socket", lambda: os.path.exists(os.path.join(self.runtime, self.socket)))
        os.environ.update(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.socket)
        self.bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.desktop = Atspi.get_desktop(0)

    def close(self):
        for process in (self.bus, self.weston):
            process.terminate()
            process.wait(timeout=10)
        subprocess.run(["rm", "-rf", self.runtime], check=False)


class OnWayland(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.compositor = Compositor()

    @classmethod
    def tearDownClass(cls):
        cls.compositor.close()

    def start(self):
        environment = dict(self.compositor.environment, QT_QPA_PLATFORM="wayland",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8")
        process = subprocess.Popen([PROGRAM], env=environment, stdin=subprocess.DEVNULL)
        self.addCleanup(lambda: process.poll() is None and (process.kill(), process.wait()))
        desktop = self.compositor.desktop
        app = wait_for("the program on the accessibility bus", lambda: next(
            (a for a in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count()))
             if a is not None and a.get_process_id() == process.pid), None))
        return process, app

    @staticmethod
    def window(app, name, present=True):
        def find():
            return next((w for w in (app.get_child_at_index(i) for i in range(app.get_child_count()))
                         if w is not None and w.get_name() == name), None)
        if present:
            return wait_for(f"window {name!r}", find)
        wait_for(f"window {name!r} to go", lambda: find() is None)
        return None

    def test_runs_natively_converts_shows_about_and_ends(self):
        screenshots = self.compositor.runtime
        desktop_only = red_pixels(screenshots)
        process, app = self.start()
        main = self.window(app, MAIN_TITLE)
        control = {n.get_name(): n for n in descendants(main)
                   if n.get_role() in (Atspi.Role.TEXT, Atspi.Role.PUSH_BUTTON)}
        # On the compositor's output, drawn (and with no X display, not through XWayland).
        drawn = wait_for("the main window drawn", lambda: red_pixels(screenshots) > desktop_only
                         + 5000 and red_pixels(screenshots))
        text1 = control["Temperature to convert"]
        Atspi.EditableText.insert_text(text1, 0, "37", 2)
        wait_for("the conversion", lambda: tuple(text_of(control[name]) for name in (
            "Fahrenheit", "Celsius", "Kelvin")) == ("98.6°F", "37°C", "310°K"))
        # About, pressed; its card adds its red to the output, and goes again when it is pressed.
        control["About"].do_action(0)
        about = self.window(app, ABOUT_NAME)
        wait_for("About drawn", lambda: red_pixels(screenshots) > drawn + 5000)
        about.do_action(0)
        self.window(app, ABOUT_NAME, present=False)
        wait_for("About gone from the output", lambda: red_pixels(screenshots) <= drawn + 500)
        control["Close"].do_action(0)
        self.assertEqual(process.wait(timeout=15), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    plugins = subprocess.run(["find", "/usr/lib", "-name", "libqwayland-generic.so"],
                             capture_output=True, text=True).stdout
    if not plugins:
        print("SKIP: Qt's Wayland platform (qt6-wayland) is not installed")
        sys.exit(SKIPPED)
    unittest.main(verbosity=2)

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end test on Wayland: the real program as a client of a private weston, with Qt's
Wayland platform and no X display to fall back on.

Weston runs on a private Xvfb display through its X11 backend, which turns the X display's mouse
and keyboard into a Wayland seat: xdotool's X events reach the program as Wayland input, and the
X display's picture is weston's output. The program itself never sees X. Weston places windows
where it likes, so the windows are found on the output by what changed there. Weston's input
method panel is turned off, as it would cover the windows.

Run it inside its own D-Bus session: dbus-run-session -- python3 wayland_test.py PROGRAM
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import harness
from e2e_test import ABOUT_NAME, MAIN_TITLE, TEXTS, Atspi, Display, descendants, text_of, wait_for

PROGRAM = None
WIDTH, HEIGHT = 1280, 1024
PARKED = (WIDTH - 5, HEIGHT - 5)  # where the pointer waits, outside every window
PANEL = 40  # weston's panel along the top, with its clock
WESTON_INI = "[core]\nidle-time=0\n\n[input-method]\npath=\n\n[shell]\nlocking=false\n"


def output():
    """Weston's output, as rows of RGB bytes."""
    rgb = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    return [rgb[y * WIDTH * 3:(y + 1) * WIDTH * 3] for y in range(HEIGHT)]


def changed(before, after, ignored=(0, 0, 0, 0)):
    """The pixels that differ, away from the panel, the parked pointer and the ignored
    rectangle."""
    left, top, width, height = ignored
    return {(x, y) for y, (old, new) in enumerate(zip(before, after)) if old != new and y >= PANEL
            for x in range(WIDTH) if old[3 * x:3 * x + 3] != new[3 * x:3 * x + 3]
            and not (x >= PARKED[0] - 30 and y >= PARKED[1] - 30)
            and not (left <= x < left + width and top <= y < top + height)}


def bounds(pixels):
    xs, ys = [x for x, _ in pixels], [y for _, y in pixels]
    return (min(xs), min(ys), max(xs) + 1 - min(xs), max(ys) + 1 - min(ys)) if pixels else None


def move(x, y):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)


def click(x, y, count=1):
    move(x, y)
    subprocess.run(["xdotool", "click", "--repeat", str(count), "--delay", "80", "1"], check=True)
    move(*PARKED)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "40", *names], check=True)


class Compositor:
    """Weston on a private X display, on a private socket; the accessibility bus."""

    def __init__(self):
        self.display = Display()  # sets DISPLAY for weston and xdotool; starts the bus
        self.runtime = tempfile.mkdtemp(prefix="velmora-wayland-")  # mode 0700
        config = os.path.join(self.runtime, "weston.ini")
        with open(config, "w", encoding="ascii") as ini:
            ini.write(WESTON_INI)
        os.environ.update(XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY="velmora-e2e")
        self.weston = harness.Launched(
            ["weston", f"--config={config}", "--backend=x11-backend.so", "--socket=velmora-e2e",
             "--use-pixman", f"--width={WIDTH}", f"--height={HEIGHT}"])
        wait_for("weston's socket", lambda: os.path.exists(os.path.join(self.runtime,
                                                                        "velmora-e2e")),
                 watching=self.weston)
        window = wait_for("weston's window", lambda: subprocess.run(
            ["xdotool", "search", "--class", "weston"], capture_output=True, text=True
        ).stdout.split())[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
        move(*PARKED)
        # Weston's desktop, once it has faded in from black and is still.
        shots = [output()]
        self.desktop = wait_for("weston's desktop", lambda: shots.append(output()) or (
            len(set(shots[-1][HEIGHT // 2])) > 16 and not changed(shots[-2], shots[-1])
            and shots[-1]), timeout=30)

    def close(self):
        self.weston.stop()
        self.display.close()
        shutil.rmtree(self.runtime, ignore_errors=True)


class OnWayland(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.compositor = Compositor()

    @classmethod
    def tearDownClass(cls):
        cls.compositor.close()

    def setUp(self):
        desktop_only = self.compositor.desktop
        wait_for("an empty desktop", lambda: not changed(desktop_only, output()))
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                    "wayland_lsan.supp")
        environment = dict(os.environ, QT_QPA_PLATFORM="wayland",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8",
                           LSAN_OPTIONS=f"suppressions={suppressions}")
        del environment["DISPLAY"]  # natively, or not at all
        self.process = harness.Launched([PROGRAM], env=environment)
        self.addCleanup(self.process.stop)
        self.app = self.compositor.display.application(self.process)
        main = self.window(MAIN_TITLE)
        self.control = {n.get_name(): n for n in descendants(main)
                        if n.get_role() in (Atspi.Role.TEXT, Atspi.Role.PUSH_BUTTON)}
        self.main_only = wait_for("the main window drawn", lambda: (lambda shown: bounds(
            changed(desktop_only, shown))[2:] == (572, 287) and shown)(output()))
        self.main = bounds(changed(desktop_only, self.main_only))
        # The input's blinking cursor is no change of the windows.
        self.cursor = (self.main[0] + 264, self.main[1] + 72, 169, 27)

    def windows(self):
        return [w.get_name() for w in (self.app.get_child_at_index(i)
                                       for i in range(self.app.get_child_count())) if w]

    def window(self, name):
        return wait_for(f"window {name!r}", lambda: next(
            (w for w in (self.app.get_child_at_index(i) for i in range(self.app.get_child_count()))
             if w is not None and w.get_name() == name), None))

    def about_over_main(self):
        """Waits for About on the output; it covers the main window where the two overlap."""
        self.window(ABOUT_NAME)
        shown = wait_for("About drawn", lambda: (lambda now: len(changed(
            self.main_only, now, self.cursor)) > 542 * 290 // 3 and now)(output()))
        difference = changed(self.main_only, shown, self.cursor)
        about = bounds(difference)
        left, top = max(about[0], self.main[0]), max(about[1], self.main[1])
        right = min(about[0] + about[2], self.main[0] + self.main[2])
        bottom = min(about[1] + about[3], self.main[1] + self.main[3])
        overlap = {(x, y) for x in range(left, right) for y in range(top, bottom)}
        # Beneath, it would change next to nothing there; above, whatever of the two differs.
        self.assertGreaterEqual(len(overlap & difference), len(overlap) // 4, "About is beneath")
        return about

    def closes_on_escape(self):
        key("Escape")
        wait_for("About to close on Escape", lambda: ABOUT_NAME not in self.windows())
        time.sleep(0.3)
        self.assertNotIn(TEXTS["validationTitle"], self.windows(), "Escape went to the input")

    def banner(self):
        return self.main[0] + 286, self.main[1] + 255

    def test_typed_input_converts(self):
        subprocess.run(["xdotool", "type", "--delay", "40", "37"], check=True)
        wait_for("the conversion", lambda: tuple(text_of(self.control[name]) for name in (
            "Fahrenheit", "Celsius", "Kelvin")) == ("98.6°F", "37°C", "310°K"))

    def test_about_by_click_double_click_and_f1_has_the_focus(self):
        for how in ("click", "double-click", "F1"):
            with self.subTest(how):
                if how == "F1":
                    # Where the closed window leaves the focus is weston's choice: the user
                    # clicks the main window's title first.
                    time.sleep(0.5)
                    click(self.main[0] + 286, self.main[1] + 30)
                    key("F1")
                else:
                    click(*self.banner(), count=2 if how == "double-click" else 1)
                self.about_over_main()
                self.closes_on_escape()
        self.assertIsNone(self.process.poll())

    def test_about_closes_on_a_click_and_the_close_picture_ends_the_program(self):
        click(*self.banner())
        about = self.about_over_main()
        time.sleep(0.5)  # past the double-click
        click(about[0] + about[2] // 2, about[1] + 20)
        wait_for("About to close on a click", lambda: ABOUT_NAME not in self.windows())
        click(self.main[0] + 562, self.main[1] + 8)
        self.assertEqual(self.process.wait(timeout=15), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    plugins = subprocess.run(["find", "/usr/lib", "-name", "libqwayland-generic.so"],
                             capture_output=True, text=True).stdout
    if not plugins:
        print("SKIP: Qt's Wayland platform (qt6-wayland) is not installed")
        sys.exit(harness.SKIPPED)
    unittest.main(verbosity=2)

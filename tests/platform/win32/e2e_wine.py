#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end test of the Windows program: the .exe under Wine on a private Xvfb display, driven
by real X key and mouse events (xdotool) and read back through the window tree by a second Wine
process, the probe (EnumWindows, EnumChildWindows, WM_GETTEXT, and as a screen reader).

Usage: e2e_wine.py WINE PROGRAM.exe PROBE.exe
WINEPREFIX must name a prepared prefix. Exits 77 (skipped) when Xvfb or xdotool is missing.
"""

import functools
import os
import subprocess
import sys
import time
import unittest

import harness
from harness import unescape

# Wine is slower to show a change than a native program.
wait_for = functools.partial(harness.wait_for, timeout=20.0, interval=0.1)

TEXTS = harness.program_texts()
MAIN_TITLE = TEXTS["title"]
MESSAGE = TEXTS["refusedCharacter"]
TOO_LONG = TEXTS["tooLong"]
INPUT_TIP = TEXTS["inputTip"]

# The boxes by their top-left corner in the main window's client area (design/layout.h).
BOX_AT = {(264, 72): "Text1", (264, 112): "Text2", (264, 144): "Text3", (264, 176): "Text4",
          (432, 72): "Combo1"}

WINE = PROGRAM = PROBE = None


def rect(field):
    return tuple(int(v) for v in field.split(","))


class TopLevel:
    def __init__(self, fields):
        self.handle, self.cls, self.rect, self.text = fields[1], fields[2], rect(fields[3]), \
            unescape(fields[4] if len(fields) > 4 else "")
        self.children = []

    def box(self, name):
        """The text of a box of the main window, found by where it is."""
        return self.child(name)["text"]

    def child(self, name):
        for child in self.children:
            if child["parent"] == self.handle and BOX_AT.get(child["rect"][:2]) == name:
                return child
        raise AssertionError(f"no {name} in {self.children}")

    def statics(self):
        return [c["text"] for c in self.children if c["class"] == "Static" and c["text"]]


class Reader:
    """The window tree as another process sees it, through the session's probe."""

    def __init__(self, probe):
        self.probe = probe
        self.ask = probe.ask

    def windows(self):
        windows = []
        for fields in (row.split("\t") for row in self.probe.rows("dump")[0]):
            if fields[0] == "W":
                windows.append(TopLevel(fields))
            elif fields[0] == "C" and windows:
                windows[-1].children.append(
                    {"handle": fields[1], "parent": fields[2], "class": fields[3],
                     "rect": rect(fields[4]), "visible": fields[5] == "1",
                     "text": unescape(fields[6])})
        return windows

    def accessible(self, window):
        """{name: (child id, role, (left, top, width, height))} of a window's client object."""
        children = {}
        for row in self.probe.rows(f"acc {window.handle}")[0]:
            _, child, role, place, name = row.split("\t")
            children[unescape(name)] = (int(child), int(role), rect(place))
        return children

    def hit(self, window, x, y):
        return self.ask(f"hit {window.handle} {x} {y}")

    def press(self, window, child):
        return self.ask(f"press {window.handle} {child}")

    def self_object(self, handle):
        """(role, name, description, default action) of a window's object itself."""
        role, name, description, action = self.ask(f"self {handle}").split("\t")
        return int(role), unescape(name), unescape(description), unescape(action)

    def clip(self, text, count=1):
        """Puts text count times over on the clipboard."""
        if self.ask(f"clip {count * len(text)} {text}") != "1":
            raise AssertionError("the clipboard took no text")

    def heard(self):
        return [unescape(d) for d in self.ask("heard").split("\t") if d]

    def find(self, title, cls=None):
        for window in self.windows():
            if window.text == title and (cls is None or window.cls == cls):
                return window
        return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def click(x, y):
    xdotool("mousemove", "--sync", str(x), str(y))
    xdotool("click", "1")


class WindowsProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.WineSession(WINE, PROBE, prefix=os.environ["WINEPREFIX"])
        cls.reader = Reader(cls.session.__enter__().probe)

    @classmethod
    def tearDownClass(cls):
        cls.session.__exit__(None, None, None)

    def start(self):
        wait_for("no window of an earlier run", lambda: self.main_window() is None)
        program = self.session.start(PROGRAM)
        self.addCleanup(program.stop)
        main = wait_for("the main window", lambda: self.reader.find(MAIN_TITLE, "VelmoraForm"),
                        watching=program)
        return program, main

    def main_window(self):
        return self.reader.find(MAIN_TITLE, "VelmoraForm")

    def at(self, window, x, y):
        """Screen point of a client point of a frameless window."""
        return window.rect[0] + x, window.rect[1] + y

    def expect_boxes(self, expected):
        def matches():
            main = self.main_window()
            seen = {name: main.box(name) for name in expected}
            return seen == expected or None

        try:
            wait_for("the boxes", matches, timeout=10)
        except AssertionError:
            main = self.main_window()
            self.assertEqual({name: main.box(name) for name in expected}, expected)

    def test_session(self):
        program, main = self.start()
        self.assertEqual((main.rect[2] - main.rect[0], main.rect[3] - main.rect[1]), (572, 287))
        self.assertEqual({n: main.box(n) for n in ("Text1", "Text2", "Text3", "Text4", "Combo1")},
                         {"Text1": "", "Text2": "", "Text3": "", "Text4": "",
                          "Combo1": "Celsius"})

        # The painted pictures read as a button, a button and a graphic, where they are drawn.
        pictures = self.reader.accessible(main)
        for name, role in (("Close", 43), ("About", 43), (MAIN_TITLE, 40)):  # ROLE_SYSTEM_*
            with self.subTest(picture=name):
                self.assertIn(name, pictures)
                self.assertEqual(pictures[name][1], role)
        left, top, width, height = pictures["Close"][2]
        self.assertTrue(left <= main.rect[0] + 562 < left + width and
                        top <= main.rect[1] + 8 < top + height, pictures["Close"])
        # Found by where they are; a box above the background stays the box's own object.
        for x, y, expected in ((562, 8, str(pictures["Close"][0])),
                               (286, 250, str(pictures["About"][0])), (300, 85, "object")):
            with self.subTest(at=(x, y)):
                self.assertEqual(self.reader.hit(main, *self.at(main, x, y)), expected)

        # Typing converts at each change, with the scale Celsius.
        click(*self.at(main, 300, 85))
        xdotool("type", "--delay", "60", "100")
        self.expect_boxes({"Text1": "100", "Text2": "212°F", "Text3": "100°C",
                           "Text4": "373°K"})

        # A pick in the list converts again, as Fahrenheit.
        click(*self.at(main, 520, 85))
        lists = wait_for("the open list", lambda: [w for w in self.reader.windows()
                                                   if w.cls == "ComboLBox"])
        left, top, right, bottom = lists[0].rect
        item_height = (bottom - top) // 3
        click((left + right) // 2, top + item_height + item_height // 2)  # "Fahrenheit"
        self.expect_boxes({"Combo1": "Fahrenheit", "Text2": "100°F",
                           "Text3": "37.7777777777778°C", "Text4": "310.927777777778°K"})

        # Refused keys bring the message box and change nothing; Enter is refused too.
        click(*self.at(main, 300, 85))
        for key in ("minus", "Return"):
            with self.subTest(key=key):
                xdotool("key", key)
                box = wait_for("the message box",
                               lambda: self.reader.find(TEXTS["validationTitle"], "#32770"))
                self.assertIn(MESSAGE, box.statics())
                self.assertEqual([c["text"] for c in box.children if c["class"] == "Button"],
                                 ["OK"])
                xdotool("key", "space")  # presses OK
                wait_for("the box to close",
                         lambda: self.reader.find(TEXTS["validationTitle"]) is None)
        self.expect_boxes({"Text1": "100", "Text2": "100°F"})
        xdotool("type", "--delay", "60", "5")
        self.expect_boxes({"Text1": "1005", "Text2": "1005°F"})

        # About opens centred, a click on it closes it; it opens again, by a screen reader.
        for by_reader in (False, True):
            if by_reader:
                self.assertEqual(self.reader.press(main, pictures["About"][0]), "0")
            else:
                click(*self.at(main, 286, 250))
            about = wait_for("the About window", lambda: self.reader.find(TEXTS["aboutTitle"]))
            width, height = about.rect[2] - about.rect[0], about.rect[3] - about.rect[1]
            self.assertEqual((width, height), (542, 290))
            self.assertEqual(about.rect[:2], ((1280 - 542) // 2, (1024 - 290) // 2))
            click(*self.at(about, 100, 100))
            wait_for("the About window to close", lambda: self.reader.find(TEXTS["aboutTitle"]) is None)

        # The close picture closes the main window; the About window outlives it, and the
        # program ends with the last window.
        click(*self.at(main, 286, 250))
        about = wait_for("the About window", lambda: self.reader.find(TEXTS["aboutTitle"]))
        click(*self.at(main, 562, 8))
        wait_for("the main window to close", lambda: self.main_window() is None)
        self.assertIsNone(program.poll())
        click(*self.at(about, 100, 100))
        self.assertEqual(program.wait(timeout=20), 0)

    def test_a_shortcut_set_to_run_minimised_starts_it_minimised(self):
        wait_for("no window of an earlier run", lambda: self.main_window() is None)
        exe = "z:" + os.path.abspath(PROGRAM).replace("/", "\\")
        self.assertEqual(self.session.run("start", "/min", exe), 0)
        main = wait_for("the main window", self.main_window)
        self.assertEqual(main.rect[:2], (-32000, -32000), "not minimised")  # where Windows keeps it
        pictures = self.reader.accessible(main)
        self.assertEqual(self.reader.press(main, pictures["Close"][0]), "0")
        wait_for("the program to end", lambda: self.main_window() is None)

    def send(self, handle, route, text, count=1):
        """Gives the input text as another program can; how long the sender waited, in ms."""
        result, waited = self.reader.ask(f"send {handle} {route} {count} {text}").split()
        return int(waited)

    def test_text_from_other_programs_is_judged_and_never_keeps_them_waiting(self):
        program, main = self.start()
        text1 = main.child("Text1")["handle"]
        rows = [  # route, text, count, the input then, the boxes it brings
            ("set", "12", 1, "12", []),
            ("send", "a", 1, "12", [MESSAGE]),
            ("post", "x", 100, "12", [MESSAGE]),  # a hundred refusals, one box
            ("send", "\U0001F321", 1, "12", [MESSAGE]),  # one character, one box
            ("set", "7", 60009, "12", [TOO_LONG]),
            ("value", "3\b4", 1, "34", [MESSAGE]),
        ]
        for route, text, count, after, boxes in rows:
            with self.subTest(route=route, text=text, count=count):
                self.assertLess(self.send(text1, route, text, count), 2000, "the sender waited")
                for box in boxes:
                    self.close_box(box)
                time.sleep(0.3)
                self.assertIsNone(self.reader.find(TEXTS["validationTitle"]), "a box too many")
                self.assertEqual(self.main_window().box("Text1"), after)
        self.assertIsNone(program.poll())
        xdotool("key", "alt+F4")
        self.assertEqual(program.wait(timeout=20), 0)

    def close_box(self, text):
        box = wait_for("the message box", lambda: self.reader.find(TEXTS["validationTitle"], "#32770"))
        self.assertIn(text, box.statics())
        xdotool("key", "space")  # presses OK
        wait_for("the box to close", lambda: self.reader.find(TEXTS["validationTitle"]) is None)

    def test_keyboard_screen_reader_and_pastes(self):
        program, main = self.start()
        text1 = main.child("Text1")["handle"]
        self.assertEqual(self.reader.self_object(text1)[1:3], (TEXTS["inputName"], INPUT_TIP))

        # A conversion error is the input's description, announced as it comes and goes.
        self.reader.ask(f"watch {text1}")
        click(*self.at(main, 300, 85))
        xdotool("type", "--delay", "60", "..")
        wait_for("the error heard",
                 lambda: any(d.startswith("Not a number") for d in self.reader.heard()))
        self.assertTrue(self.reader.self_object(text1)[2].startswith("Not a number"))
        xdotool("key", "BackSpace", "BackSpace")
        wait_for("its end heard", lambda: INPUT_TIP in self.reader.heard())

        # Pasted text is judged a character at a time: a backspace in it is no key.
        self.reader.clip("3\b4")
        xdotool("key", "shift+Insert")
        self.close_box(MESSAGE)
        self.expect_boxes({"Text1": "34", "Text3": "34°C"})
        # Past the limit it is refused whole, at once.
        self.reader.clip("7", 50001)
        started = time.monotonic()
        xdotool("key", "shift+Insert")
        self.close_box(TOO_LONG)
        self.assertLess(time.monotonic() - started, 10)
        self.expect_boxes({"Text1": "34"})

        # F1 opens About, Escape closes it; a screen reader reads its card and may press it.
        xdotool("key", "F1")
        about = wait_for("the About window", lambda: self.reader.find(TEXTS["aboutTitle"]))
        role, name, description, action = self.reader.self_object(about.handle)
        self.assertEqual(name, f"{TEXTS['aboutName']} {MAIN_TITLE}")
        self.assertTrue(description.startswith(f"{MAIN_TITLE}. {TEXTS['cardVersion']}."))
        self.assertEqual(action, "Press")
        # A screen reader may hold About's object past the window: it is cut off then.
        self.assertEqual(self.reader.ask(f"hold {about.handle}"), "1")
        xdotool("key", "Escape")
        wait_for("About to close on Escape", lambda: self.reader.find(TEXTS["aboutTitle"]) is None)
        self.assertGreaterEqual(int(self.reader.ask("press held 0"), 16), 0x80000000)

        # The banners are told as far as they show; a double-click on About's banner leaves
        # About open, though it opens right under the pointer.
        window = (main.rect[0], main.rect[1], main.rect[2], main.rect[3])
        pictures = self.reader.accessible(main)
        for name in ("Close", "About", MAIN_TITLE):
            _, _, (left, top, width, height) = pictures[name]
            with self.subTest(picture=name):
                self.assertTrue(window[0] <= left and left + width <= window[2] and
                                window[1] <= top and top + height <= window[3])
        xdotool("mousemove", "--sync", *map(str, self.at(main, 286, 250)))
        xdotool("click", "--repeat", "2", "--delay", "80", "1")
        about = wait_for("the About window", lambda: self.reader.find(TEXTS["aboutTitle"]))
        time.sleep(1.0)
        self.assertIsNotNone(self.reader.find(TEXTS["aboutTitle"]), "the double-click closed About")
        click(*self.at(about, 100, 100))
        wait_for("About to close", lambda: self.reader.find(TEXTS["aboutTitle"]) is None)
        xdotool("key", "alt+F4")
        self.assertEqual(program.wait(timeout=20), 0)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    WINE, PROGRAM, PROBE = sys.argv[1:4]
    harness.require(WINE, "Xvfb", "xdotool")
    unittest.main(argv=sys.argv[:1], verbosity=2)

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end test: the real program on a private Xvfb display, driven by real X key and mouse
events (xdotool) and read through the accessibility tree (AT-SPI), as a screen reader reads it.

Run it inside its own D-Bus session: dbus-run-session -- python3 e2e_test.py PROGRAM
"""

import os
import subprocess
import sys
import time
import unittest

import gi

import harness

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAM = None
TEXTS = harness.program_texts()
MAIN_TITLE = TEXTS["title"]
ABOUT_NAME = f"{TEXTS['aboutName']} {MAIN_TITLE}"
MESSAGE = TEXTS["refusedCharacter"]


def wait_for(what, probe, timeout=15.0, watching=None):
    """harness.wait_for, with the accessibility bus's events (GLib's main context) delivered
    before each poll."""
    def pumped():
        while GLib.MainContext.default().iteration(False):
            pass
        return probe()

    return harness.wait_for(what, pumped, timeout, ignoring=(GLib.GError,), watching=watching)


def descendants(node):
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def text_of(node):
    """The node's text, or None where it has no text interface."""
    try:
        return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
    except gi.repository.GLib.GError:
        return None


class Heard:
    """What a screen reader hears of one node: the events of one kind, each as `record` keeps it."""

    def __init__(self, node, kind, record):
        self.node, self.kind, self.record = node, kind, record
        self.heard = []
        self.listener = Atspi.EventListener.new(self._hear)
        self.listener.register(kind)

    def _hear(self, event):
        if event.source == self.node:
            self.heard.append(self.record(event))

    def close(self):
        self.listener.deregister(self.kind)


def Announcements(node):
    """The descriptions that the program announces."""
    return Heard(node, "object:property-change:accessible-description",
                 lambda event: node.get_description())


def TextChanges(node):
    """The text changes that a box announces: (insert or delete, where, the text)."""
    return Heard(node, "object:text-changed",
                 lambda event: (event.type.rsplit(":", 1)[-1], event.detail1, event.any_data))


def centre_of(node):
    box = node.get_extents(Atspi.CoordType.SCREEN)
    return box.x + box.width // 2, box.y + box.height // 2


class Display:
    """A private X server with the accessibility bus."""

    def __init__(self):
        self.xvfb = harness.Xvfb()
        self.bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.desktop = Atspi.get_desktop(0)

    def close(self):
        self.bus.terminate()
        self.bus.wait(timeout=10)
        self.xvfb.close()

    def application(self, process):
        """The accessible application of a Launched program, once it is on the bus."""
        def find():
            apps = (self.desktop.get_child_at_index(i)
                    for i in range(self.desktop.get_child_count()))
            return next((a for a in apps if a is not None and a.get_process_id() == process.pid),
                        None)

        return wait_for("the program on the accessibility bus", find, watching=process)


class Program:
    """One run of the program under test."""

    def __init__(self, display):
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           LANG="C.UTF-8")
        self.process = harness.Launched([PROGRAM], env=environment)
        self.app = display.application(self.process)
        self.main = self.window(MAIN_TITLE)

    def windows(self):
        return [self.app.get_child_at_index(i) for i in range(self.app.get_child_count())]

    def window(self, name):
        return wait_for(f"window {name!r}", lambda: next(
            (w for w in self.windows() if w is not None and w.get_name() == name), None))

    def about_window(self):
        """The About window: its accessible name says what it is; its title is TEXTS["aboutTitle"]."""
        window = self.window(ABOUT_NAME)
        subprocess.run(["xdotool", "search", "--all", "--sync", "--onlyvisible", "--pid", str(self.process.pid),
                        "--name", "^Form2$"], check=True, stdout=subprocess.DEVNULL, timeout=15)
        return window

    def has_window(self, name):
        return any(w is not None and w.get_name() == name for w in self.windows())

    def control(self, name, role=None):
        return wait_for(f"control {name!r}", lambda: next(
            (n for n in descendants(self.main)
             if n.get_name() == name and role in (None, n.get_role())), None))

    def combo(self):
        # On Linux a combo box's accessible name is its current text, so find it by role.
        return wait_for("the scale selector", lambda: next(
            (n for n in descendants(self.main) if n.get_role() == Atspi.Role.COMBO_BOX), None))

    def outputs(self):
        return tuple(text_of(self.control(name, Atspi.Role.TEXT))
                     for name in ("Fahrenheit", "Celsius", "Kelvin"))

    def input_text(self):
        return text_of(self.control(TEXTS["inputName"], Atspi.Role.TEXT))

    def wait_outputs(self, expected):
        seen = []

        def matches():
            seen.append(self.outputs())
            return seen[-1] == expected

        try:
            wait_for(f"outputs {expected}", matches)
        except AssertionError as error:
            raise AssertionError(f"{error}; the boxes show {seen[-1] if seen else None}") from None

    def focus_main(self):
        window_id = subprocess.check_output(
            ["xdotool", "search", "--all", "--sync", "--onlyvisible", "--pid", str(self.process.pid),
             "--name", MAIN_TITLE], text=True).split()[0]
        subprocess.run(["xdotool", "windowactivate", "--sync", window_id], check=False,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True)

    @staticmethod
    def type(text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)

    @staticmethod
    def key(*names):
        subprocess.run(["xdotool", "key", "--delay", "30", *names], check=True)

    @staticmethod
    def click_at(x, y):
        where = subprocess.check_output(["xdotool", "getmouselocation", "--shell"], text=True)
        if f"X={x}\nY={y}\n" not in where:
            # --sync waits for the pointer to move, so it would wait in vain for a move to where
            # the pointer already is.
            subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
        subprocess.run(["xdotool", "click", "1"], check=True)

    def click(self, node):
        self.click_at(*centre_of(node))

    def wait_exit(self, timeout=15):
        return self.process.wait(timeout=timeout)

    def stop(self):
        self.process.stop()


class EndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        cls.display.close()

    def setUp(self):
        self.program = Program(self.display)
        self.addCleanup(self.program.stop)
        self.program.focus_main()

    def test_a_screen_reader_finds_every_control(self):
        p = self.program
        text1 = p.control(TEXTS["inputName"], Atspi.Role.TEXT)
        self.assertEqual(text1.get_description(), TEXTS["inputTip"])
        states = text1.get_state_set()
        self.assertTrue(states.contains(Atspi.StateType.EDITABLE))
        self.assertTrue(states.contains(Atspi.StateType.FOCUSED), "the input box starts focused")
        for name in ("Fahrenheit", "Celsius", "Kelvin"):
            box = p.control(name, Atspi.Role.TEXT)
            self.assertTrue(box.get_state_set().contains(Atspi.StateType.READ_ONLY), name)
            self.assertFalse(box.get_state_set().contains(Atspi.StateType.EDITABLE), name)
            self.assertNotIn("EditableText", box.get_interfaces(), name)
            self.assertTrue(box.get_state_set().contains(Atspi.StateType.FOCUSABLE), name)
        self.assertIn("EditableText", text1.get_interfaces())
        self.assertEqual(p.combo().get_name(), "Scale")
        field = next(n for n in descendants(p.combo()) if n.get_role() == Atspi.Role.TEXT)
        self.assertEqual(field.get_name(), "Scale", "the scale's text field has a name")
        self.assertEqual(text_of(field), "Celsius")
        self.assertTrue(field.get_state_set().contains(Atspi.StateType.EDITABLE))
        for name in ("Close", "About"):
            self.assertEqual(p.control(name).get_role(), Atspi.Role.PUSH_BUTTON, name)
        self.assertEqual(p.control(MAIN_TITLE).get_role(), Atspi.Role.IMAGE)
        self.assertEqual(p.main.get_n_actions(), 0, "the main window is no button")
        # Pressing About through the accessibility interface opens the About window, which
        # reads out what its picture says.
        about_button = p.control("About")
        about_button.do_action(0)
        about = p.about_window()
        self.assertIn(TEXTS["cardVersion"], about.get_description())
        # ... and which a screen reader can close with its one action.
        self.assertEqual(about.get_n_actions(), 1)
        self.assertEqual(about.get_action_name(0), "Press")
        about.do_action(0)
        wait_for("the About window to close", lambda: not p.has_window(ABOUT_NAME))
        self.assertIsNone(p.process.poll())

    def test_a_screen_reader_hears_the_error_come_and_go(self):
        p = self.program
        text1 = p.control(TEXTS["inputName"], Atspi.Role.TEXT)
        announcements = Announcements(text1)
        self.addCleanup(announcements.close)
        p.type("..")
        wait_for("the error announced", lambda: any(
            heard.startswith("Not a number") for heard in announcements.heard))
        self.assertTrue(text1.get_description().startswith("Not a number"))
        p.key("BackSpace", "BackSpace")
        wait_for("the error's end announced", lambda: announcements.heard
                 and announcements.heard[-1] == TEXTS["inputTip"])

    def test_typing_converts_live_in_all_three_scales(self):
        p = self.program
        p.type("37")
        p.wait_outputs(("98.6°F", "37°C", "310°K"))
        p.key("BackSpace")
        p.wait_outputs(("37.4°F", "3°C", "276°K"))
        # Emptying the input leaves the last results standing. Ctrl+H is a backspace too.
        p.key("ctrl+h")
        wait_for("an empty input", lambda: p.input_text() == "")
        self.assertEqual(p.outputs(), ("37.4°F", "3°C", "276°K"))

    def test_refused_character_shows_message_and_keeps_text(self):
        p = self.program
        p.type("12")
        p.wait_outputs(("53.6°F", "12°C", "285°K"))
        p.type("a")
        box = p.window(TEXTS["validationTitle"])
        self.assertTrue(any(n.get_name() == MESSAGE or text_of(n) == MESSAGE
                            for n in descendants(box)), "message text not readable")
        p.key("Return")
        wait_for("the message box to close", lambda: not p.has_window(TEXTS["validationTitle"]))
        self.assertEqual(p.input_text(), "12")
        p.type("5")
        p.wait_outputs(("257°F", "125°C", "398°K"))

    def test_picking_a_scale_with_the_mouse_converts_again(self):
        p = self.program
        p.type("100")
        p.wait_outputs(("212°F", "100°C", "373°K"))
        combo = p.combo()
        box = combo.get_extents(Atspi.CoordType.SCREEN)
        p.click_at(box.x + box.width - 6, box.y + box.height // 2)  # the drop-down arrow
        item = wait_for("the Fahrenheit entry of the open list", lambda: next(
            (n for w in p.windows() if w is not None for n in descendants(w)
             if n.get_name() == "Fahrenheit" and n.get_role() == Atspi.Role.LIST_ITEM
             and n.get_state_set().contains(Atspi.StateType.SHOWING)), None))
        p.click(item)
        p.wait_outputs(("100°F", "37.7777777777778°C", "310.927777777778°K"))

    def test_about_window_opens_and_closes_on_click_or_escape(self):
        p = self.program
        for close in ("click", "Escape", "click"):
            p.click(p.control("About"))
            about = p.about_window()
            if close == "click":
                p.click(about)
            else:
                p.key("Escape")
            wait_for(f"the About window to close on {close}",
                     lambda: not p.has_window(ABOUT_NAME))
        self.assertIsNone(p.process.poll(), "closing the About window ended the program")

    def test_close_picture_ends_the_program(self):
        p = self.program
        p.click(p.control("Close"))
        self.assertEqual(p.wait_exit(), 0)

    def test_alt_f4_closes_the_main_window(self):
        p = self.program
        p.key("alt+F4")
        self.assertEqual(p.wait_exit(), 0)

    def test_dragging_the_title_banner_moves_the_window(self):
        p = self.program
        banner = p.control(MAIN_TITLE)
        before = p.main.get_extents(Atspi.CoordType.SCREEN)
        x, y = centre_of(banner)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1",
                        "mousemove", "--sync", str(x + 40), str(y + 30),
                        "mousemove", "--sync", str(x + 80), str(y + 60), "mouseup", "1"],
                       check=True)
        wait_for("the window to follow the drag", lambda: (
            p.main.get_extents(Atspi.CoordType.SCREEN).x, p.main.get_extents(
                Atspi.CoordType.SCREEN).y) == (before.x + 80, before.y + 60))
        # A drag that starts on the About banner is no click on it.
        x, y = centre_of(p.control("About"))
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "mousedown", "1",
                        "mousemove", "--sync", str(x + 30), str(y),
                        "mousemove", "--sync", str(x + 54), str(y), "mouseup", "1"], check=True)
        time.sleep(0.5)
        self.assertFalse(p.has_window(ABOUT_NAME), "a drag opened About")
        # A plain click on the banner does nothing.
        p.click(banner)
        p.type("5")
        p.wait_outputs(("41°F", "5°C", "278°K"))
        self.assertIsNone(p.process.poll())

    def test_keyboard_and_screen_reader_ways(self):
        p = self.program
        # F1 opens About; Escape closes it.
        p.key("F1")
        p.about_window()
        p.key("Escape")
        wait_for("About to close on Escape", lambda: not p.has_window(ABOUT_NAME))
        # A screen reader's insertion is judged as a paste: a backspace in it is no key.
        text1 = p.control(TEXTS["inputName"], Atspi.Role.TEXT)
        changes = TextChanges(text1)
        self.addCleanup(changes.close)
        Atspi.EditableText.insert_text(text1, 0, "3\b4", 3)
        box = p.window(TEXTS["validationTitle"])
        self.assertTrue(any(n.get_name() == MESSAGE or text_of(n) == MESSAGE
                            for n in descendants(box)))
        p.key("Return")
        wait_for("the box to close", lambda: not p.has_window(TEXTS["validationTitle"]))
        p.wait_outputs(("93.2°F", "34°C", "307°K"))
        # It hears what the box took, once; a refused text set from outside changes nothing and
        # is not heard.
        Atspi.EditableText.set_text_contents(text1, "abc")
        p.window(TEXTS["validationTitle"])
        p.key("Return")
        wait_for("the box to close", lambda: not p.has_window(TEXTS["validationTitle"]))
        self.assertEqual(p.input_text(), "34")
        wait_for("the insertion heard", lambda: changes.heard)
        self.assertEqual(changes.heard, [("insert", 0, "34")])
        # The banners are told as far as they show.
        window = p.main.get_extents(Atspi.CoordType.SCREEN)
        for name in ("About", MAIN_TITLE):
            box = p.control(name).get_extents(Atspi.CoordType.SCREEN)
            self.assertEqual((box.x, box.width), (window.x, window.width), name)

    def test_a_double_click_on_the_about_banner_leaves_about_open(self):
        p = self.program
        x, y = centre_of(p.control("About"))
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "--repeat", "2",
                        "--delay", "80", "1"], check=True)
        p.about_window()
        time.sleep(1.0)
        self.assertTrue(p.has_window(ABOUT_NAME), "the double-click closed About")

    def test_about_window_outlives_the_main_window(self):
        p = self.program
        p.click(p.control("About"))
        about = p.about_window()
        # The About window sits over most of the main window; click the part of the close
        # picture that it leaves uncovered.
        close = p.control("Close").get_extents(Atspi.CoordType.SCREEN)
        window = p.main.get_extents(Atspi.CoordType.SCREEN)
        cover = about.get_extents(Atspi.CoordType.SCREEN)
        right = min(close.x + close.width, window.x + window.width) - 1  # the picture overhangs
        x = next(x for x in range(right, close.x - 1, -1)
                 if not cover.x <= x < cover.x + cover.width)
        p.click_at(x, close.y + close.height // 2)
        wait_for("the main window to close", lambda: not p.has_window(MAIN_TITLE))
        self.assertIsNone(p.process.poll(), "the program ended with the About window open")
        p.click(p.about_window())
        self.assertEqual(p.wait_exit(), 0)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

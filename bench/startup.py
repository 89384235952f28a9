#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Start-up and footprint of the program beside Qt's hello and a bare window, on a private X display.

Starts the program, bench/hello_window (one QLabel: Qt's own hello) and bench/bare_window in turns on an Xvfb display of its own and measures,
for each run:
  - first paint: from just before exec until the window's pixels first differ from the empty
    screen, read back from the X server by this script (the same watcher, with the same cost,
    for both programs; the screen is polled about every 2 ms);
  - mapped: from exec until the window is mapped (X), for orientation;
  - peak memory: VmHWM from /proc/PID/status after the idle period, just before the end;
  - idle CPU: the process's CPU time (all threads, from /proc/PID/task/*/schedstat, in
    nanoseconds) over 2 s of idling with the keyboard focus on the window, which puts the
    focus in the main window's input box, so its caret blinks.
Prints the median and the range of each figure over the rounds, the ratios of the program's
medians to the hello window's and the bare window's, and the median of the per-round ratios to
the hello window (each round runs all three back to back, so these pair them).

Usage: bench/startup.py [--rounds N] [--program EXE] [--hello EXE] [--bare EXE] [BUILD_DIR]
BUILD_DIR defaults to ./build; --program measures another build of the program.
Needs Xvfb and libX11 only (no window manager: both windows place themselves).
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SCREEN_W, SCREEN_H = 1024, 768
CLIENT_W, CLIENT_H = 572, 287  # the main window's client area; hello and bare windows copy it
IDLE_SECONDS = 2.0
SETTLE_SECONDS = 0.5  # after the focus arrives, before the idle period starts
POLL_SECONDS = 0.002
TIMEOUT_SECONDS = 30.0

GOALS = {"first paint": 1.2, "peak memory": 1.15}  # against the hello window
IDLE_CPU_GOAL_MS = 5.0


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        # The masks, obdata and the function table follow; they are not read here.
    ]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
        ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
        ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
        ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p),
    ]


IS_VIEWABLE = 2
Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)
REVERT_TO_PARENT = 2


class Screen:
    """Reads back the rectangle where the windows appear (the centre of the screen)."""

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.POINTER(XImage)
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XGetSubImage.restype = ctypes.POINTER(XImage)
        x.XGetSubImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
                                   ctypes.POINTER(XImage), ctypes.c_int, ctypes.c_int]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(XWindowAttributes)]
        x.XFree.argtypes = [ctypes.c_void_p]
        x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                     ctypes.c_ulong]
        x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = x.XDefaultRootWindow(self.display)
        self.left = (SCREEN_W - CLIENT_W) // 2
        self.top = (SCREEN_H - CLIENT_H) // 2
        # One image, refilled in place by every poll.
        self.image = x.XGetImage(self.display, self.root, self.left, self.top, CLIENT_W,
                                 CLIENT_H, ALL_PLANES, Z_PIXMAP)
        self.size = self.image.contents.bytes_per_line * CLIENT_H

    def pixels(self):
        self.x.XGetSubImage(self.display, self.root, self.left, self.top, CLIENT_W, CLIENT_H,
                            ALL_PLANES, Z_PIXMAP, self.image, 0, 0)
        return ctypes.string_at(self.image.contents.data, self.size)

    def viewable_window(self):
        """The mapped top-level window of the client size, or None."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.display, self.root, ctypes.byref(root),
                                 ctypes.byref(parent), ctypes.byref(children),
                                 ctypes.byref(count)):
            return None
        found = None
        try:
            for i in range(count.value):
                attributes = XWindowAttributes()
                if (self.x.XGetWindowAttributes(self.display, children[i],
                                                ctypes.byref(attributes))
                        and attributes.map_state == IS_VIEWABLE
                        and (attributes.width, attributes.height) == (CLIENT_W, CLIENT_H)):
                    found = children[i]
        finally:
            if children:
                self.x.XFree(children)
        return found

    def focus(self, window):
        self.x.XSetInputFocus(self.display, window, REVERT_TO_PARENT, 0)
        self.x.XSync(self.display, 0)


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
         f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-br"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                raise RuntimeError("Xvfb did not start")
            number += chunk
    return xvfb, ":" + number.decode().strip()


def cpu_ns(pid):
    """CPU time of all the process's threads, in nanoseconds."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except FileNotFoundError:
            pass  # the thread ended meanwhile
    return total


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM")


def wait_for(condition, what):
    deadline = time.perf_counter() + TIMEOUT_SECONDS
    while True:
        value = condition()
        if value:
            return value
        if time.perf_counter() > deadline:
            raise RuntimeError(f"timed out waiting for {what}")
        time.sleep(POLL_SECONDS)


def wait_for_paint(screen, blank, process, name, start, timeout=TIMEOUT_SECONDS):
    """(mapped, painted) in perf_counter seconds: when the window was first mapped, and when the
    screen first differed from the empty one."""
    mapped = None
    while True:
        if process.poll() is not None:
            raise RuntimeError(f"{name} ended with {process.returncode}")
        now = time.perf_counter()
        if mapped is None and screen.viewable_window() is not None:
            mapped = now
        if screen.pixels() != blank:
            painted = time.perf_counter()
            return (mapped or painted), painted
        if now - start > timeout:
            raise RuntimeError(f"{name} never painted")
        time.sleep(POLL_SECONDS)


def run_once(executable, environment, screen, blank):
    wait_for(lambda: screen.pixels() == blank and screen.viewable_window() is None,
             "an empty screen")
    start = time.perf_counter()
    process = subprocess.Popen([executable], env=environment, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        mapped, painted = wait_for_paint(screen, blank, process, executable, start)
        window = wait_for(screen.viewable_window, "the window")
        screen.focus(window)
        time.sleep(SETTLE_SECONDS)
        before = cpu_ns(process.pid)
        time.sleep(IDLE_SECONDS)
        idle_ms = (cpu_ns(process.pid) - before) / 1e6
        peak = peak_rss_kib(process.pid)
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    return {
        "first paint": (painted - start) * 1000,
        "mapped": (mapped - start) * 1000,
        "peak memory": peak / 1024,
        "idle CPU": idle_ms,
    }


def summary(values):
    return statistics.median(values), min(values), max(values)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir", nargs="?", default="build")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--program", help="the program to measure (default: from BUILD_DIR)")
    parser.add_argument("--hello", help="the hello window (default: from BUILD_DIR)")
    parser.add_argument("--bare", help="the bare window (default: from BUILD_DIR)")
    arguments = parser.parse_args()
    programs = {
        "program": arguments.program
        or os.path.join(arguments.build_dir, "app", "velmora-temperature-converter"),
        "hello window": arguments.hello
        or os.path.join(arguments.build_dir, "bench", "hello_window"),
        "bare window": arguments.bare or os.path.join(arguments.build_dir, "bench", "bare_window"),
    }
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"not built: {path}")

    xvfb, display = start_xvfb()
    runtime_dir = tempfile.mkdtemp(prefix="velmora-startup-")
    os.chmod(runtime_dir, 0o700)
    # The same environment for both: this display, the X11 platform, no session bus.
    environment = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": os.environ.get("HOME", runtime_dir),
        "LANG": "C.UTF-8",
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "XDG_RUNTIME_DIR": runtime_dir,
    }
    try:
        screen = Screen(display)
        blank = screen.pixels()
        names = list(programs)
        turns = [names[i:] + names[:i] for i in range(len(names))]
        # One untimed run each, so that both start with warm file caches.
        for name in names:
            run_once(programs[name], environment, screen, blank)
        results = {name: [] for name in names}
        for round_number in range(arguments.rounds):
            # Rotate who goes first, so that a drift in the machine's load hits all alike.
            order = turns[round_number % len(turns)]
            for name in order:
                results[name].append(run_once(programs[name], environment, screen, blank))
            print(f"round {round_number + 1}/{arguments.rounds}: " + ", ".join(
                f"{name} {results[name][-1]['first paint']:.0f} ms" for name in names),
                file=sys.stderr, flush=True)
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(runtime_dir, ignore_errors=True)

    units = {"first paint": "ms", "mapped": "ms", "peak memory": "MiB", "idle CPU": "ms/2s"}
    print(f"\n{arguments.rounds} rounds on Xvfb {SCREEN_W}x{SCREEN_H}; median [min - max]")
    header = (f"{'':<22}{'program':>26}{'hello window':>26}{'bare window':>26}"
              f"{'/hello':>8}{'paired':>8}{'/bare':>8}  goal (/hello)")
    print(header)
    print("-" * len(header))
    for figure, unit in units.items():
        cells = []
        medians = []
        for name in names:
            median, low, high = summary([run[figure] for run in results[name]])
            medians.append(median)
            cells.append(f"{median:8.1f} [{low:6.1f} - {high:6.1f}]")
        def ratio(low):
            return f"{medians[0] / medians[low]:8.2f}" if medians[low] else f"{'-':>8}"
        paired_values = [run[figure] / hello[figure]
                         for run, hello in zip(results[names[0]], results[names[1]])
                         if hello[figure]]
        paired = (f"{statistics.median(paired_values):8.2f}" if paired_values
                  else f"{'-':>8}")
        if figure in GOALS:
            met = medians[0] <= GOALS[figure] * medians[1]
            goal = f"<= {GOALS[figure]:.2f}x: " + ("met" if met else "MISSED")
        elif figure == "idle CPU":
            goal = f"<= {IDLE_CPU_GOAL_MS:.0f} ms: " + (
                "met" if medians[0] <= IDLE_CPU_GOAL_MS else "MISSED")
        else:
            goal = ""
        print(f"{figure + ' (' + unit + ')':<22}{cells[0]:>26}{cells[1]:>26}{cells[2]:>26}"
              f"{ratio(1)}{paired}{ratio(2)}  {goal}")


if __name__ == "__main__":
    main()

# SPDX-License-Identifier: MIT
"""What the start-up and input benchmarks measure with: the screen read back from the X server,
real X key and mouse events, a process's figures from /proc, and the process that runs a Windows
program under Wine. The display, the programs and the Wine session come from the harness in
tests/support, which this puts on the module path."""

import ctypes
import ctypes.util
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "support"))
import harness  # noqa: E402

SCREEN_W, SCREEN_H = 1024, 768
CLIENT_W, CLIENT_H = 572, 287  # the main window's client area; the yardsticks copy it
XVFB_OPTIONS = ("-br",)  # a black screen, so that any window differs from it
POLL_SECONDS = 0.002
TIMEOUT_SECONDS = 30.0


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


def declare_xlib(x):
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
    x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                             ctypes.POINTER(ctypes.c_ulong),
                             ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                             ctypes.POINTER(ctypes.c_uint)]
    x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                       ctypes.POINTER(XWindowAttributes)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XStringToKeysym.restype = ctypes.c_ulong
    x.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x.XKeysymToKeycode.restype = ctypes.c_ubyte
    x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x.XFlush.argtypes = [ctypes.c_void_p]


class Screen:
    """The X screen read back, by default where the windows appear (its centre)."""

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        declare_xlib(self.x)
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        self.root = self.x.XDefaultRootWindow(self.display)
        left, top = (SCREEN_W - CLIENT_W) // 2, (SCREEN_H - CLIENT_H) // 2
        self.centre = (left, top, left + CLIENT_W, top + CLIENT_H)
        self.images = {}  # one image a rectangle, refilled in place by every poll

    def pixels(self, rect=None):
        """The bytes of a rectangle (left, top, right, bottom) of the screen, 4 a pixel."""
        left, top, right, bottom = rect or self.centre
        width, height = right - left, bottom - top
        if (left, top, right, bottom) not in self.images:
            self.images[(left, top, right, bottom)] = self.x.XGetImage(
                self.display, self.root, left, top, width, height, ALL_PLANES, Z_PIXMAP)
        image = self.images[(left, top, right, bottom)]
        self.x.XGetSubImage(self.display, self.root, left, top, width, height, ALL_PLANES,
                            Z_PIXMAP, image, 0, 0)
        return ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)

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

    def wait_until_empty(self, blank):
        harness.wait_for("an empty screen", lambda: self.pixels() == blank
                         and self.viewable_window() is None, TIMEOUT_SECONDS, POLL_SECONDS)


def wait_for_paint(screen, blank, process, start, timeout=TIMEOUT_SECONDS):
    """(mapped, painted) in perf_counter seconds: when the window was first mapped, and when the
    screen first differed from the empty one."""
    mapped = None
    while True:
        if process.poll() is not None:
            raise RuntimeError(f"{process.name} ended with {process.poll()}")
        now = time.perf_counter()
        if mapped is None and screen.viewable_window() is not None:
            mapped = now
        if screen.pixels() != blank:
            painted = time.perf_counter()
            return (mapped or painted), painted
        if now - start > timeout:
            raise RuntimeError(f"{process.name} never painted")
        time.sleep(POLL_SECONDS)


class Input:
    """Real X key and mouse events (the XTest extension, as xdotool sends them), on the Screen's
    connection."""

    def __init__(self, screen):
        self.screen = screen
        try:
            self.xtst = ctypes.CDLL("libXtst.so.6")
        except OSError as error:
            raise RuntimeError("libXtst.so.6 is missing (Debian: libxtst6, which xdotool "
                               "brings)") from error
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]

    def keycode(self, name):
        x = self.screen.x
        code = x.XKeysymToKeycode(self.screen.display, x.XStringToKeysym(name.encode()))
        if not code:
            raise RuntimeError(f"no key for {name}")
        return code

    def key(self, name, shift=False):
        """Presses and releases a key (X keysym name), with Shift held if asked."""
        display = self.screen.display
        codes = ([self.keycode("Shift_L")] if shift else []) + [self.keycode(name)]
        for code in codes:
            self.xtst.XTestFakeKeyEvent(display, code, 1, 0)
        for code in reversed(codes):
            self.xtst.XTestFakeKeyEvent(display, code, 0, 0)
        self.screen.x.XFlush(display)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.screen.display, -1, x, y, 0)
        self.screen.x.XFlush(self.screen.display)

    def click(self, x, y):
        self.move(x, y)
        time.sleep(0.05)
        for press in (1, 0):
            self.xtst.XTestFakeButtonEvent(self.screen.display, 1, press, 0)
            self.screen.x.XFlush(self.screen.display)
            time.sleep(0.03)  # a press that lasts, as a hand's does


def pixels_differing(before, after):
    return sum(1 for i in range(0, min(len(before), len(after)), 4)
               if before[i:i + 4] != after[i:i + 4])


def per_thread(pid, file, value):
    """The sum over the process's threads of value(text of /proc/PID/task/TID/file); 0 once the
    process has ended. A thread that ends meanwhile counts nothing."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return 0
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/{file}") as text:
                total += value(text.read())
        except (OSError, ValueError, IndexError):
            pass
    return total


def cpu_ns(pid):
    """Processor time of all the process's threads, in nanoseconds."""
    return per_thread(pid, "schedstat", lambda text: int(text.split()[0]))


def page_faults(pid):
    """Page faults of all the process's threads (minor and major): how much memory it touched."""
    def faults(text):
        fields = text.rsplit(")", 1)[1].split()
        return int(fields[7]) + int(fields[9])
    return per_thread(pid, "stat", faults)


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError("no VmHWM")


def summary(values):
    """(median, lowest, highest)."""
    return statistics.median(values), min(values), max(values)


def rotations(names):
    """Each name first once in turn: a drift in the machine's load then hits all alike."""
    return [names[i:] + names[:i] for i in range(len(names))]


def cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return [part.decode(errors="replace") for part in f.read().split(b"\0") if part]
    except OSError:
        return []


def parent(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return int(stat.read().rsplit(")", 1)[1].split()[1])
    except (OSError, ValueError, IndexError):
        return 0


def find_wine_process(exe, started):
    """The pid of the process that runs exe under Wine, started (or started by) the process
    `started`, or None. Wine's loader keeps the pid of `wine` and puts the .exe's path, as given,
    first in its command line; another copy of the same program elsewhere is not it."""
    path = os.path.abspath(exe)
    windows_path = "z:" + path.replace("/", "\\").lower()

    def runs(pid):
        args = cmdline(pid)
        return bool(args) and (args[0] == exe or args[0] == path
                               or args[0].lower() == windows_path)

    def descends(pid):
        while pid > 1:
            if pid == started:
                return True
            pid = parent(pid)
        return False

    if runs(started):
        return started
    for entry in os.listdir("/proc"):
        if entry.isdigit() and runs(int(entry)) and descends(int(entry)):
            return int(entry)
    return None


def wine_process(exe, launched, timeout=10.0):
    """The pid of the process that runs exe, which `launched` started under Wine."""
    return harness.wait_for(f"a process that runs {exe}",
                            lambda: find_wine_process(exe, launched.pid), timeout, POLL_SECONDS,
                            watching=launched)


def wine_session(build_dir, wine, prefix, programs):
    """({name: absolute path} of the programs, once each is found built; a Wine session on a
    screen of the benchmarks' size, kept warm by the Windows build's probe)."""
    probe = os.path.join(build_dir, "tests", "support", "win32", "probe.exe")
    for path in [*programs.values(), probe]:
        if not os.path.isfile(path):
            sys.exit(f"not built: {path}")
    harness.require(wine, "wineserver", "Xvfb")
    session = harness.WineSession(wine, os.path.abspath(probe), prefix, size=(SCREEN_W, SCREEN_H),
                                  xvfb_options=XVFB_OPTIONS)
    return {name: os.path.abspath(path) for name, path in programs.items()}, session

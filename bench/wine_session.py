# SPDX-License-Identifier: MIT
"""What the Windows benchmarks (startup_wine.py, input_wine.py) share: a private Xvfb display, a
private Wine prefix with one Wine session kept warm by the probe (bench/win32/wine_probe.cpp)
for the whole run, the process of a Wine program, and its processor time and peak memory.

The screen is read back by bench/startup.py's watcher, so that both platforms' start-up figures
come from the same method.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import tempfile
import time

from startup import Screen, start_xvfb  # noqa: F401 (Screen is for the scripts)

PR_SET_CHILD_SUBREAPER = 36


def become_subreaper():
    """Wine's server and its services outlive the process that started them; as their reaper
    this script collects them at the end instead of leaving zombies behind."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def reap_children():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


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


def find_process(exe, started):
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


def stop(process, pid=None):
    """Ends a Wine program: SIGTERM, then SIGKILL if it lingers."""
    for target in {process.pid, pid} - {None}:
        try:
            os.kill(target, signal.SIGTERM)
        except ProcessLookupError:
            pass
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        for target in {process.pid, pid} - {None}:
            try:
                os.kill(target, signal.SIGKILL)
            except ProcessLookupError:
                pass
        process.wait()


class Input:
    """Real X key and mouse events (the XTest extension, as xdotool sends them), and the pixels of
    a rectangle of the screen, on the Screen's connection."""

    ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)
    Z_PIXMAP = 2

    def __init__(self, screen):
        self.screen = screen
        self.x = screen.x
        try:
            self.xtst = ctypes.CDLL("libXtst.so.6")
        except OSError as error:
            raise RuntimeError("libXtst.so.6 is missing (Debian: libxtst6, which xdotool "
                               "brings)") from error
        self.x.XStringToKeysym.restype = ctypes.c_ulong
        self.x.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.images = {}

    def keycode(self, name):
        code = self.x.XKeysymToKeycode(self.screen.display, self.x.XStringToKeysym(name.encode()))
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
        self.x.XFlush(display)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.screen.display, -1, x, y, 0)
        self.x.XFlush(self.screen.display)

    def click(self, x, y):
        self.move(x, y)
        time.sleep(0.05)
        for press in (1, 0):
            self.xtst.XTestFakeButtonEvent(self.screen.display, 1, press, 0)
            self.x.XFlush(self.screen.display)
            time.sleep(0.03)  # a press that lasts, as a hand's does

    def pixels(self, rect):
        """The bytes of a rectangle (left, top, right, bottom) of the screen, 4 a pixel."""
        left, top, right, bottom = rect
        width, height = right - left, bottom - top
        x = self.x
        if rect not in self.images:
            self.images[rect] = x.XGetImage(self.screen.display, self.screen.root, left, top,
                                            width, height, self.ALL_PLANES, self.Z_PIXMAP)
        image = self.images[rect]
        x.XGetSubImage(self.screen.display, self.screen.root, left, top, width, height,
                       self.ALL_PLANES, self.Z_PIXMAP, image, 0, 0)
        return ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)


def pixels_differing(before, after):
    return sum(1 for i in range(0, min(len(before), len(after)), 4)
               if before[i:i + 4] != after[i:i + 4])


class Probe:
    """wine_probe.exe, one command a line."""

    def __init__(self, wine, exe, environment):
        self.process = subprocess.Popen([wine, exe], env=environment, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def ask(self, line):
        self.process.stdin.write((line + "\n").encode())
        self.process.stdin.flush()
        answer = self.process.stdout.readline().decode().strip()
        if not answer:
            raise RuntimeError(f"the probe ended (asked: {line})")
        return answer

    def close(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class WineSession:
    """A private Xvfb display and one warm Wine session in a private prefix.

    prefix: a prefix to use (made there if it is not one yet) and keep; None makes a temporary
    one (about 10 s) and removes it at the end.
    """

    def __init__(self, wine, probe_exe, prefix=None):
        self.wine = wine
        self.probe_exe = probe_exe
        self.keep_prefix = prefix is not None
        self.prefix = os.path.abspath(prefix) if prefix else tempfile.mkdtemp(
            prefix="velmora-wine-")
        self.xvfb = self.probe = self.screen = None

    def __enter__(self):
        become_subreaper()
        self.xvfb, self.display = start_xvfb()
        self.environment = dict(os.environ)
        self.environment.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installers.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display,
            "LANG": "C.UTF-8",
        })
        try:
            if not os.path.exists(os.path.join(self.prefix, "system.reg")):
                print(f"Making a Wine prefix in {self.prefix} ...", flush=True)
                quiet = dict(self.environment)
                quiet.pop("DISPLAY")
                subprocess.run(["wineboot", "-i"], env=quiet, check=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                subprocess.run(["wineserver", "-w"], env=quiet, check=False)
            # The session's first process starts the server and its services, with this display
            # for the desktop; it then stays, so that every measured start finds them running.
            self.probe = Probe(self.wine, self.probe_exe, self.environment)
            self.probe.ask("find")
            self.screen = Screen(self.display)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if self.probe:
            self.probe.close()
        subprocess.run(["wineserver", "-k"], env=self.environment, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.environment, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        reap_children()
        if not self.keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    def start(self, exe, extra_environment=None, wrapper=()):
        """Starts exe under Wine; returns the Popen."""
        environment = dict(self.environment)
        environment.update(extra_environment or {})
        return subprocess.Popen([*wrapper, self.wine, exe], env=environment,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_for_process(self, exe, process, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            pid = find_process(exe, process.pid)
            if pid:
                return pid
            if process.poll() is not None:
                raise RuntimeError(f"{exe} ended with {process.returncode}")
            time.sleep(0.002)
        raise RuntimeError(f"no process runs {exe}")

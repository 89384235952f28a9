# SPDX-License-Identifier: MIT
"""What the end-to-end tests and the benchmarks share: a private X display, waiting for a
condition, a program run with its output kept, and Wine programs in one session on such a display,
with the probe (tests/support/win32/probe.cpp) as another program on the Windows desktop.

The tests find this module on PYTHONPATH, which CMake sets; the benchmarks, run by hand, add this
folder to sys.path themselves.
"""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77  # the exit status that CTest counts as a skip


def program_texts():
    """The program's user-visible texts by their names in design/texts.h, which the tests read
    rather than copy."""
    import re
    source = os.path.join(os.path.dirname(__file__), "..", "..", "design", "texts.h")
    with open(source, encoding="utf-8") as texts:
        code = texts.read()
    literal = r'"(?:[^"\\]|\\.)*"'
    found = {}
    for name, value in re.findall(
            r"constexpr std::string_view (\w+)\s*=\s*((?:" + literal + r"\s*)+);", code):
        parts = re.findall(literal, value)
        found[name] = "".join(p[1:-1].replace('\\"', '"').replace("\\n", "\n") for p in parts)
    return found


def require(*tools):
    """Exits as skipped when a tool is not on PATH (an empty name stands for Wine not found)."""
    missing = [tool or "wine" for tool in tools if not tool or shutil.which(tool) is None]
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIPPED)


class TimedOut(AssertionError):
    """A condition that did not come about: a test's failure, not its error."""


def wait_for(what, probe, timeout=15.0, interval=0.05, ignoring=(), watching=None):
    """Polls probe() until it returns something truthy, and returns that. An exception of a type
    in `ignoring` counts as a falsy answer. Fails naming `what` after the timeout, or as soon as
    the Launched program `watching` has ended."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except ignoring:
            last = None
        if last:
            return last
        if watching is not None and watching.poll() is not None:
            raise TimedOut(f"{watching.name} ended with status {watching.poll()} while waiting "
                           f"for {what}")
        if time.monotonic() >= deadline:
            raise TimedOut(f"timed out waiting for {what} (last seen: {last!r})")
        time.sleep(interval)


class Xvfb:
    """Xvfb on a display it picks itself (-displayfd: no fixed number that another run could
    hold), which becomes this process's DISPLAY."""

    def __init__(self, width=1280, height=1024, options=()):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", *options],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.wait()
            raise RuntimeError(f"Xvfb did not start (status {self.process.returncode})")
        self.name = ":" + number
        os.environ["DISPLAY"] = self.name

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Launched:
    """A program started with its output (stdout and stderr) kept in a file, and shown on stderr
    when it ends by itself with a failure status, as with a sanitizer's report."""

    def __init__(self, command, env=None, stderr=None):
        self.name = os.path.basename(command[0])
        self._output = tempfile.TemporaryFile()
        self._stopping = False
        self.process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                                        stdout=self._output, stderr=stderr or subprocess.STDOUT)
        self.pid = self.process.pid

    def poll(self):
        return self._ended(self.process.poll())

    def wait(self, timeout=None):
        return self._ended(self.process.wait(timeout))

    def _ended(self, status):
        if status is None or self._output.closed:
            return status
        if status > 0 and not self._stopping:
            self._output.seek(0)
            output = self._output.read().decode(errors="replace")
            sys.stderr.write(f"--- {self.name} ended with status {status}; its output:\n"
                             f"{output}--- end of {self.name}'s output\n")
        self._output.close()
        return status

    def stop(self, *others, grace=5.0):
        """Ends it, if it still runs: SIGTERM to it and to the other pids given (a Wine program
        runs in a process of its own), SIGKILL to those that outlast the grace period."""
        if self.poll() is not None:
            return
        self._stopping = True
        for signal_number in (signal.SIGTERM, signal.SIGKILL):
            for pid in {self.pid, *others} - {None}:
                try:
                    os.kill(pid, signal_number)
                except ProcessLookupError:
                    pass
            try:
                self.wait(timeout=grace)
                return
            except subprocess.TimeoutExpired:
                pass


def unescape(text):
    """A text field as the probe writes it: backslash, tab, line feed and carriage return
    escaped."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"t": "\t", "n": "\n", "r": "\r"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class Probe:
    """The probe, one command a line; every answer ends with a line "END [answer]", after any
    rows."""

    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.DEVNULL)

    def rows(self, line):
        """(the rows, the answer) to one command."""
        self.process.stdin.write((line + "\n").encode())
        self.process.stdin.flush()
        rows = []
        for raw in iter(self.process.stdout.readline, b""):
            text = raw.decode("utf-8").rstrip("\n")
            if text == "END" or text.startswith("END "):
                return rows, text[4:]
            rows.append(text)
        raise RuntimeError(f"the probe ended (asked: {line[:60]})")

    def ask(self, line):
        return self.rows(line)[1]

    def close(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


PR_SET_CHILD_SUBREAPER = 36


def become_subreaper():
    """Wine's server and its services outlive the process that started them; as their reaper
    this process collects them at the end instead of leaving zombies behind."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def reap_children():
    while True:
        try:
            if os.waitpid(-1, os.WNOHANG)[0] == 0:
                return
        except ChildProcessError:
            return


def wait_for_wine_server(timeout=120):
    """Until the prefix's Wine server has ended, and so written the registry."""
    subprocess.run(["wineserver", "-w"], timeout=timeout, check=False)


class WineSession:
    """Wine programs on a private X display, in one prefix: a given one (made there if it is not
    one yet), or a temporary one; `fresh` makes a given one anew. With a probe, the session's
    first Wine process, the Wine server and its services keep running for every later start (a
    warm session), and the probe answers questions about the windows. On the way out the server
    is ended and waited for, and a temporary prefix removed. The session's settings go into this
    process's environment, for every Wine command it runs."""

    def __init__(self, wine, probe=None, prefix=None, fresh=False, size=(1280, 1024),
                 xvfb_options=()):
        self.wine, self.probe_exe, self.fresh = wine, probe, fresh
        self.size, self.xvfb_options = size, xvfb_options
        self.keep_prefix = prefix is not None
        self.prefix = os.path.abspath(prefix) if prefix else tempfile.mkdtemp(
            prefix="velmora-wine-")
        self.display = self.probe = None

    def __enter__(self):
        become_subreaper()
        os.environ.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", LANG="C.UTF-8",
                          # No Mono or Gecko installers, no menu entries in the home folder.
                          WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
        # A server left by an earlier Wine process would lend the session its desktop, perhaps
        # one without a display: the session starts its own once that one has gone.
        wait_for_wine_server()
        try:
            if self.fresh:
                shutil.rmtree(self.prefix, ignore_errors=True)
            self._make_prefix()
            self.display = Xvfb(*self.size, options=self.xvfb_options)
            if self.probe_exe:
                self.probe = Probe([self.wine, self.probe_exe])
                self.probe.ask("find")  # its answer: the server is up
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _make_prefix(self):
        if os.path.exists(os.path.join(self.prefix, "system.reg")):
            return
        print(f"Making a Wine prefix in {self.prefix} ...", flush=True)
        subprocess.run([self.wine, "wineboot", "-i"], env=dict(os.environ, DISPLAY=""),
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300)
        wait_for_wine_server()

    def __exit__(self, *exc):
        if self.probe:
            self.probe.close()
        subprocess.run(["wineserver", "-k"], check=False, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        wait_for_wine_server()
        if self.display:
            self.display.close()
        reap_children()
        if not self.keep_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    def start(self, exe, *arguments, env=None, wrapper=(), stderr=None):
        """Starts a Windows program (or a Wine command) under Wine."""
        return Launched([*wrapper, self.wine, exe, *arguments], env=env, stderr=stderr)

    def run(self, *arguments, timeout=120):
        """Runs a Wine command to its end; its exit status."""
        return subprocess.run([self.wine, *arguments], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout, check=False).returncode

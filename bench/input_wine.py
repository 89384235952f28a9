#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Big input into the Windows program under Wine, beside the same edits into a plain edit.

Runs the .exe and bench/win32/reference_window.exe (the same controls with no filter and no
handler: the plain edit of Wine's common controls, with the program's font and no length limit)
in one warm Wine session on a private Xvfb display, each started afresh for every case:
  - paste 1 MiB and 10 MB of digits: the digits go on the clipboard (set by the probe,
    tests/support/win32/probe.cpp, which Wine shares with the X CLIPBOARD selection), a click puts
    the focus in the input box, and Shift+Insert pastes (Ctrl+V is a refused character in the
    program); real X key and mouse events (XTest, as xdotool sends them). Measured:
      answered   from the key press until the input answers WM_GETTEXTLENGTH with a new length,
                 or a message box of the program is up (asked by the probe with
                 SendMessageTimeout, so a busy program simply does not answer);
      idle CPU   the processor time of the program's process (all threads) over --idle seconds
                 right after that, with any message box (refused or too long input) closed by
                 Return as a user would;
      settled    from the key press until the process then stays under 10 % of a processor for
                 half a second, within the idle period (repainting the box comes after the
                 answer);
      kept       the input's length after the idle period;
      peak memory  VmHWM of the process then.
    Each wait is capped (--cap, default 120 s): a program that has not answered by then is
    reported as such, its idle CPU is still measured, and it is not tried again in later rounds.
  - paste 49,999 digits as above, then, once the process is quiet with the caret at the end
    (End), one keystroke (the digit 5): answered as above, and shown: until the input box's
    pixels on the screen change by more than a blinking caret could (read back from the X
    server every ~2 ms).
The subjects alternate in order from round to round, so that a drift in the machine's load hits
both alike. Prints the median and range of each figure and the program's ratio to the plain edit.

Usage: bench/input_wine.py [--rounds N] [--cap S] [--idle S] [--no-plain] [--wineprefix DIR]
                           [--build-dir DIR] [PROGRAM.exe]
PROGRAM.exe defaults to the program in BUILD_DIR (./build-windows), where the reference window
and the probe are taken from too. Needs wine, Xvfb and libX11/libXtst (xdotool's).
"""

import argparse
import os
import statistics
import sys
import threading
import time

from measure import (Input, Screen, cpu_ns, harness, peak_rss_kib, pixels_differing, wine_process,
                     wine_session)

MEBIBYTE = 1 << 20
TEN_MEGABYTES = 10_000_000
LONGEST = 49_999
POLL_SECONDS = 0.002
# Quiet: under 10 % of a processor over half a second (a blinking caret takes far less).
QUIET_SECONDS = 0.5
QUIET_SHARE = 0.1
QUIET_STEP = 0.05


class Asked:
    """One probe question answered in the background, with the moment the answer came."""

    def __init__(self, probe, line):
        self.answer = None
        self.at = None
        self.error = None
        self.thread = threading.Thread(target=self._run, args=(probe, line), daemon=True)
        self.thread.start()

    def _run(self, probe, line):
        try:
            self.answer = probe.ask(line)
        except Exception as error:  # reported by the caller
            self.error = error
        self.at = time.perf_counter()

    def wait(self, timeout):
        self.thread.join(timeout)
        if self.thread.is_alive():
            raise RuntimeError("the probe did not answer")
        if self.error:
            raise self.error
        return self.answer


class Subject:
    """One started program with its main window and input box."""

    def __init__(self, session, screen, exe):
        self.session = session
        self.exe = exe
        self.process = session.start(exe)
        self.pid = None
        try:
            self.pid = wine_process(exe, self.process)
            def shown():
                found = session.probe.ask("find").split()
                return found if found[0] == "W" else None

            answer = harness.wait_for(f"a window of {exe}", shown, 60, watching=self.process)
            self.window, self.input = answer[1], answer[2]
            self.rect = tuple(int(v) for v in answer[3].split(","))
            # Mapped on the X screen and settled, before any click goes to it.
            harness.wait_for(f"a mapped window of {exe}", screen.viewable_window, 60, 0.01)
            time.sleep(0.3)
        except BaseException:
            self.stop()
            raise

    def focus_input(self, keys):
        left, top, right, bottom = self.rect
        keys.click((left + right) // 2, (top + bottom) // 2)
        # Off the box again, so that its tooltip does not come up over it, but still over the
        # window: with no window manager the keys go to the window under the pointer.
        keys.move(left - 150, bottom + 60)
        time.sleep(0.3)

    def await_change(self, old_length, cap):
        return Asked(self.session.probe, f"await {self.window} {self.input} {old_length} "
                                         f"{int(cap * 1000)}")

    def boxes(self):
        return int(self.session.probe.ask(f"boxes {self.window}"))

    def close_boxes(self, keys, cap):
        """Closes message boxes with Return, as a user would; returns how many."""
        closed = 0
        deadline = time.monotonic() + cap
        while self.boxes() > 0 and time.monotonic() < deadline:
            keys.key("Return")
            closed += 1
            wait_until = time.monotonic() + 5
            while self.boxes() > 0 and time.monotonic() < wait_until:
                time.sleep(0.02)
        return closed

    def length(self):
        answer = self.session.probe.ask(f"await {self.window} {self.input} -1 2000").split()
        return int(answer[1]) if answer[0] == "ANSWER" else None

    def ended(self):
        """True, and says so, when the program has ended by itself."""
        if self.process.poll() is None and os.path.exists(f"/proc/{self.pid}/status"):
            return False
        print(f"{os.path.basename(self.exe)} ended by itself (exit status "
              f"{self.process.poll()})", file=sys.stderr)
        return True

    def stop(self):
        self.process.stop(self.pid)
        # Until its windows are gone, so that the next start is found alone.
        try:
            harness.wait_for("no window", lambda: self.session.probe.ask("find") == "NONE", 10)
        except harness.TimedOut:
            pass


def paste(session, keys, subject, count, cap, idle):
    """Pastes count digits into the empty input; the figures of that paste."""
    # Digits 1 to 9 over and over, as the other input benchmark pastes.
    if session.probe.ask(f"clip {count} 123456789") != "1":
        raise RuntimeError("the clipboard was not set")
    subject.focus_input(keys)
    start = time.perf_counter()
    keys.key("Insert", shift=True)
    asked = subject.await_change(0, cap)
    reply = asked.wait(cap + 30).split()
    answered = reply[0] == "ANSWER"
    result = {"answered": (asked.at - start) * 1000 if answered else None}
    result["boxes"] = subject.close_boxes(keys, cap) if answered else None
    idle_start = time.perf_counter()
    samples = [(idle_start, cpu_ns(subject.pid))]
    while samples[-1][0] - idle_start < idle:
        time.sleep(QUIET_STEP)
        samples.append((time.perf_counter(), cpu_ns(subject.pid)))
    result["idle CPU"] = (samples[-1][1] - samples[0][1]) / 1e6 / (samples[-1][0] - idle_start)
    result["settled"] = None
    if answered:
        # The first moment after which the process stayed quiet for QUIET_SECONDS.
        for i, (at, used) in enumerate(samples):
            later = [s for s in samples[i:] if s[0] - at <= QUIET_SECONDS]
            if later[-1][0] - at >= QUIET_SECONDS - QUIET_STEP and \
                    (later[-1][1] - used) / 1e9 < QUIET_SHARE * (later[-1][0] - at):
                result["settled"] = (at - start) * 1000
                break
    if subject.ended():
        result["peak memory"] = result["kept"] = None
        return result
    result["peak memory"] = peak_rss_kib(subject.pid) / 1024
    result["kept"] = subject.length() if answered else None
    return result


def wait_until_quiet(pid, cap):
    """Waits until the process has used under QUIET_SHARE of a processor for QUIET_SECONDS."""
    deadline = time.perf_counter() + cap
    while time.perf_counter() < deadline:
        before = cpu_ns(pid)
        time.sleep(QUIET_SECONDS)
        if (cpu_ns(pid) - before) / 1e9 < QUIET_SHARE * QUIET_SECONDS:
            return True
    return False


def keystroke(session, keys, subject, cap, idle):
    """Fills the input with LONGEST digits by a paste, then types one digit at its end."""
    result = {"paste": paste(session, keys, subject, LONGEST, cap, idle)}
    length = result["paste"]["kept"]
    if length is not None:
        keys.key("End")  # the caret at the end, wherever a message box left it
    if length is None or not wait_until_quiet(subject.pid, cap) or subject.ended():
        result["answered"] = result["shown"] = result["kept"] = None
        return result
    rect = subject.rect
    # A blinking caret changes at most a column or two of the box; a scrolled text, many more.
    threshold = 3 * (rect[3] - rect[1])
    before = keys.screen.pixels(rect)
    start = time.perf_counter()
    keys.key("5")
    asked = subject.await_change(length, cap)
    shown = None
    while time.perf_counter() - start < cap:
        now = keys.screen.pixels(rect)
        if now != before and pixels_differing(before, now) > threshold:
            shown = (time.perf_counter() - start) * 1000
            break
        time.sleep(POLL_SECONDS)
    reply = asked.wait(cap + 30).split()
    result["answered"] = (asked.at - start) * 1000 if reply[0] == "ANSWER" else None
    result["shown"] = shown
    result["boxes"] = subject.close_boxes(keys, cap) if reply[0] == "ANSWER" else None
    result["kept"] = subject.length()
    return result


CASES = [("paste 1 MiB", MEBIBYTE), ("paste 10 MB", TEN_MEGABYTES), ("keystroke", LONGEST)]
# The table: (title, case, figures); "paste 49,999" comes from the keystroke case.
ROWS = [
    ("paste 1,048,576 digits", "paste 1 MiB", ["answered", "settled", "idle CPU", "kept",
                                               "boxes", "peak memory"]),
    ("paste 10,000,000 digits", "paste 10 MB", ["answered", "settled", "idle CPU", "kept",
                                                "boxes", "peak memory"]),
    (f"paste {LONGEST:,} digits", "paste 49,999", ["answered", "settled", "idle CPU", "kept",
                                                   "peak memory"]),
    (f"one digit at {LONGEST:,}", "keystroke", ["answered", "shown", "kept"]),
]
UNITS = {"answered": "ms", "settled": "ms", "shown": "ms", "idle CPU": "ms/s", "kept": "chars",
         "boxes": "closed", "peak memory": "MiB"}


def cell(values, figure, cap):
    if not values:
        return "not run"
    missing = sum(1 for v in values if v is None)
    if missing:
        if figure in ("answered", "shown"):
            return f"no answer in {cap:g} s ({missing}/{len(values)})"
        if figure == "settled" and missing < len(values):
            return f"busy at the end ({missing}/{len(values)})"
        return "-"
    median = statistics.median(values)
    if figure in ("kept", "boxes"):
        low, high = min(values), max(values)
        return f"{median:,.0f}" if low == high else f"{median:,.0f} [{low:,} - {high:,}]"
    return f"{median:,.1f} [{min(values):,.1f} - {max(values):,.1f}]"


def print_table(results, subjects, rounds, cap, idle):
    print(f"\nInput under Wine on Xvfb, up to {rounds} rounds; median [min - max]; each wait "
          f"capped at {cap:g} s; idle CPU over {idle:g} s")
    header = f"{'case':<26}{'figure':<22}" + "".join(f"{name:>38}" for name in subjects)
    if len(subjects) > 1:
        header += f"{'ratio':>8}"
    print(header)
    print("-" * len(header))
    for title, case, figures in ROWS:
        for figure in figures:
            values = {name: results[name].get(case, {}).get(figure, []) for name in subjects}
            line = (f"{title if figure == figures[0] else '':<26}"
                    f"{figure + ' (' + UNITS[figure] + ')':<22}"
                    + "".join(f"{cell(values[name], figure, cap):>38}" for name in subjects))
            if len(subjects) > 1:
                a, b = values[subjects[0]], values[subjects[1]]
                if a and b and None not in a and None not in b and statistics.median(b) and \
                        figure not in ("kept", "boxes"):
                    line += f"{statistics.median(a) / statistics.median(b):8.2f}"
            print(line)
    print("\nanswered: from the key press until the input answers with its new length (or a "
          "message box is up);\nsettled: until the process then stays under 10 % of a "
          "processor for 0.5 s (within the idle period);\nshown: until the box's pixels change "
          "(typed once the process has settled); ratio: the program's median to the plain "
          "edit's.")


def record(results, name, case, figures):
    for figure, value in figures.items():
        results[name].setdefault(case, {}).setdefault(figure, []).append(value)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program", nargs="?", help="the .exe (default: from --build-dir)")
    parser.add_argument("--build-dir", default="build-windows")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--cap", type=float, default=120.0,
                        help="longest wait for an answer, in seconds")
    parser.add_argument("--idle", type=float, default=3.0, help="idle period in seconds")
    parser.add_argument("--no-plain", action="store_true",
                        help="measure the program alone, without the plain edit")
    parser.add_argument("--wineprefix", help="Wine prefix to make or reuse (default: temporary)")
    parser.add_argument("--wine", default="wine")
    arguments = parser.parse_args()
    bench = os.path.join(arguments.build_dir, "bench", "win32")
    exes = {"program": arguments.program
            or os.path.join(arguments.build_dir, "app", "Velmora Temperature Converter.exe")}
    if not arguments.no_plain:
        exes["plain edit"] = os.path.join(bench, "reference_window.exe")
    exes, session = wine_session(arguments.build_dir, arguments.wine, arguments.wineprefix, exes)

    names = list(exes)
    results = {name: {} for name in names}
    gave_up = set()  # (name, case): no answer within the cap once, not tried again
    with session:
        screen = Screen(session.display.name)
        keys = Input(screen)
        for round_number in range(arguments.rounds):
            order = names if round_number % 2 == 0 else names[::-1]
            for case, count in CASES:
                for name in order:
                    if (name, case) in gave_up:
                        continue
                    subject = Subject(session, screen, exes[name])
                    try:
                        if case == "keystroke":
                            figures = keystroke(session, keys, subject, arguments.cap,
                                                arguments.idle)
                            record(results, name, "paste 49,999", figures.pop("paste"))
                        else:
                            figures = paste(session, keys, subject, count, arguments.cap,
                                            arguments.idle)
                    finally:
                        subject.stop()
                    record(results, name, case, figures)
                    if figures["answered"] is None:
                        gave_up.add((name, case))
                    answered = figures["answered"]
                    print(f"round {round_number + 1}/{arguments.rounds}: {name}, {case}: " + (
                        f"answered in {answered:,.0f} ms" if answered is not None
                        else f"no answer in {arguments.cap:g} s") + (
                        f", idle CPU {figures['idle CPU']:.0f} ms/s" if "idle CPU" in figures
                        else ""), file=sys.stderr, flush=True)
    print_table(results, names, arguments.rounds, arguments.cap, arguments.idle)


if __name__ == "__main__":
    main()

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
import os
import shutil
import statistics
import sys
import tempfile
import time

from measure import (SCREEN_H, SCREEN_W, XVFB_OPTIONS, Screen, cpu_ns, harness, peak_rss_kib,
                     rotations, summary, wait_for_paint)

IDLE_SECONDS = 2.0
SETTLE_SECONDS = 0.5  # after the focus arrives, before the idle period starts

GOALS = {"first paint": 1.2, "peak memory": 1.15}  # against the hello window
IDLE_CPU_GOAL_MS = 5.0


def run_once(executable, environment, screen, blank):
    screen.wait_until_empty(blank)
    start = time.perf_counter()
    process = harness.Launched([executable], env=environment)
    try:
        mapped, painted = wait_for_paint(screen, blank, process, start)
        window = harness.wait_for("the window", screen.viewable_window, 30, 0.002)
        screen.focus(window)
        time.sleep(SETTLE_SECONDS)
        before = cpu_ns(process.pid)
        time.sleep(IDLE_SECONDS)
        idle_ms = (cpu_ns(process.pid) - before) / 1e6
        peak = peak_rss_kib(process.pid)
    finally:
        process.stop(grace=10)
    return {
        "first paint": (painted - start) * 1000,
        "mapped": (mapped - start) * 1000,
        "peak memory": peak / 1024,
        "idle CPU": idle_ms,
    }


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

    xvfb = harness.Xvfb(SCREEN_W, SCREEN_H, XVFB_OPTIONS)
    runtime_dir = tempfile.mkdtemp(prefix="velmora-startup-")
    os.chmod(runtime_dir, 0o700)
    # The same environment for both: this display, the X11 platform, no session bus.
    environment = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": os.environ.get("HOME", runtime_dir),
        "LANG": "C.UTF-8",
        "DISPLAY": xvfb.name,
        "QT_QPA_PLATFORM": "xcb",
        "XDG_RUNTIME_DIR": runtime_dir,
    }
    try:
        screen = Screen(xvfb.name)
        blank = screen.pixels()
        names = list(programs)
        turns = rotations(names)
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
        xvfb.close()
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

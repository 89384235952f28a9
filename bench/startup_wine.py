#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Start-up and footprint of the Windows program under Wine, beside a window with the same controls
and a minimal window, on a private X display.

Starts the .exe, bench/win32/reference_window.exe (the main window's controls, fonts and
background, and nothing else) and bench/win32/minimal_window.exe (a window of the same size with
nothing in it) in turns, in one Wine session that a probe process keeps warm for the whole run,
on an Xvfb display of its own, and measures for each run:
  - first paint: from just before the start of `wine X.exe` until the window's pixels first
    differ from the empty screen, read back from the X server as bench/startup.py does (the
    screen is polled about every 2 ms);
  - mapped: from the start until the window is mapped (X), for orientation;
  - CPU to first paint: the processor time of the program's process (all threads) at that
    moment, Wine's loader included; the Wine server's share is not in it;
  - page faults of the process's threads up to that moment;
  - peak memory: VmHWM of the process that runs the .exe (Wine keeps the pid of `wine` and names
    the .exe in its command line), after the idle period;
  - idle CPU: the process's processor time over --idle seconds (default 1) with the keyboard
    focus on the window, after half a second of settling.
Each round runs all three back to back, the order rotating from round to round, so that a drift
in the machine's load hits all alike; --before adds an earlier build of the program as a fourth,
for a before-and-after in one run. Prints the median and range of each figure, the ratios of
the program's medians to the others', and the medians of the per-round (paired) ratios.

--profile instead starts each --rounds times with WINEDEBUG=+timestamp,+loaddll (plus any
--channels) and prints the median time at which each DLL was loaded, and each --mark first and
last matched a trace line, in ms from the start, beside the first paint; Wine stamps its trace
with the same monotonic clock. Where perf can sample, it then starts each up to 5 times more
under `perf record -e cpu-clock` on that clock, each stopped at its first paint, and prints the
processor time of the process by module (DLL, Wine's Unix libraries, the kernel; medians) and,
for the start of median processor time, between one DLL load and the next. perf slows the
start-up down: read its times as shares, not as figures.
Example: --profile --channels win,ole,wincodecs --mark CoInitializeEx
         --mark "WIN_CreateWindowEx .*parent=00000000" --mark ImagingFactory_CreateInstance

Usage: bench/startup_wine.py [--rounds N] [--idle S] [--wineprefix DIR] [--program EXE]
                             [--reference EXE] [--minimal EXE] [--before EXE] [BUILD_DIR]
       bench/startup_wine.py --profile [--channels C,...] [--mark REGEX]... [--keep-logs DIR] ...
BUILD_DIR is the Windows build (default ./build-windows, as scripts/build-windows.sh makes it).
Needs wine, Xvfb and libX11; the prefix is made (about 10 s) in a temporary folder unless
--wineprefix names one to make or reuse.
"""

import argparse
import collections
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from measure import (Screen, cpu_ns, harness, page_faults, peak_rss_kib, rotations, summary,
                     wait_for_paint, wine_process, wine_session)

SETTLE_SECONDS = 0.5

NAMES = ["program", "same controls", "minimal"]
FIGURES = {  # name: unit
    "first paint": "ms",
    "mapped": "ms",
    "CPU to first paint": "ms",
    "page faults": "count",
    "peak memory": "MiB",
    "idle CPU": "ms/s",
}


def run_once(session, screen, exe, blank, idle_seconds):
    screen.wait_until_empty(blank)
    start = time.perf_counter()
    process = session.start(exe)
    pid = None
    try:
        mapped, painted = wait_for_paint(screen, blank, process, start)
        pid = wine_process(exe, process)
        cpu_to_paint = cpu_ns(pid)
        faults = page_faults(pid)
        window = harness.wait_for("the window", screen.viewable_window, 30, 0.002)
        screen.focus(window)
        time.sleep(SETTLE_SECONDS)
        before = cpu_ns(pid)
        time.sleep(idle_seconds)
        idle_ms = (cpu_ns(pid) - before) / 1e6 / idle_seconds
        peak = peak_rss_kib(pid)
    finally:
        process.stop(pid)
    return {
        "first paint": (painted - start) * 1000,
        "mapped": (mapped - start) * 1000,
        "CPU to first paint": cpu_to_paint / 1e6,
        "page faults": faults,
        "peak memory": peak / 1024,
        "idle CPU": idle_ms,
    }


def paired_ratio(results, name, other, figure):
    ratios = [run[figure] / base[figure]
              for run, base in zip(results[name], results[other]) if base[figure]]
    return statistics.median(ratios) if ratios else None


def print_before(results):
    """With --before: the earlier build beside the program, each against the same-controls window,
    and the program against it (medians of the per-round ratios)."""
    print(f"\n{'paired ratios':<24}{'before /same':>14}{'program /same':>15}{'program /before':>17}")
    for figure, unit in FIGURES.items():
        cells = [paired_ratio(results, name, other, figure) for name, other in
                 (("before", NAMES[1]), (NAMES[0], NAMES[1]), (NAMES[0], "before"))]
        print(f"{figure + ' (' + unit + ')':<24}" + "".join(
            f"{'-' if cell is None else f'{cell:.2f}':>{width}}"
            for cell, width in zip(cells, (14, 15, 17))))


def print_table(results, rounds):
    print(f"\n{rounds} rounds under Wine on Xvfb, one warm Wine session; median [min - max]")
    header = (f"{'':<24}" + "".join(f"{name:>24}" for name in results)
              + f"{'/same':>8}{'paired':>8}{'/minimal':>9}{'paired':>8}")
    print(header)
    print("-" * len(header))
    for figure, unit in FIGURES.items():
        cells, medians = [], []
        for name in results:
            median, low, high = summary([run[figure] for run in results[name]])
            medians.append(median)
            cells.append(f"{median:7.1f} [{low:6.1f} - {high:6.1f}]")
        ratios = ""
        for other, width in ((1, 8), (2, 9)):
            ratios += (f"{medians[0] / medians[other]:{width}.2f}" if medians[other]
                       else f"{'-':>{width}}")
            paired = paired_ratio(results, NAMES[0], NAMES[other], figure)
            ratios += f"{paired:8.2f}" if paired is not None else f"{'-':>8}"
        print(f"{figure + ' (' + unit + ')':<24}" + "".join(f"{c:>24}" for c in cells) + ratios)
    print("\n/same, /minimal: ratio of the program's median to that window's; paired: median of "
          "the ratios within each round.")
    if "before" in results:
        print_before(results)


# ---- --profile ----

LOADDLL = re.compile(r'^\s*(\d+)\.(\d+):.*trace:loaddll:\w+ Loaded L"(.*?)" at (\w+): (\w+)')
TRACE_TIME = re.compile(r'^\s*(\d+)\.(\d+):')
PERF_SAMPLE = re.compile(r'^\s*(\d+)\s+(\d+\.\d+):\s+([0-9a-f]+)\s+\((.*)\)')
PERF_HZ = 10000
PERF_ROUNDS = 5


def perf_works():
    if not shutil.which("perf"):
        return False
    return subprocess.run(["perf", "stat", "-e", "cpu-clock", "true"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def traced_start(session, screen, exe, blank, workdir, use_perf, channels, marks):
    """One start with the DLL loads traced (under perf if asked), stopped at the first paint.
    Times are in ms from the start, on the monotonic clock that Wine stamps its trace with."""
    screen.wait_until_empty(blank)
    name = os.path.splitext(os.path.basename(exe))[0]
    number = sum(1 for entry in os.listdir(workdir) if entry.startswith(name)) + 1
    log_path = os.path.join(workdir, f"{name}-{number}.log")
    perf_path = os.path.join(workdir, f"{name}-{number}.perf")
    wrapper = (["perf", "record", "-q", "-e", "cpu-clock", "-F", str(PERF_HZ),
                "-k", "CLOCK_MONOTONIC_RAW", "-o", perf_path, "--"] if use_perf else [])
    environment = dict(os.environ)
    environment["WINEDEBUG"] = ",".join(["+timestamp", "+loaddll"] + [f"+{c}" for c in channels])
    with open(log_path, "wb") as log:
        start_clock = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        start = time.perf_counter()
        process = session.start(exe, env=environment, wrapper=wrapper, stderr=log)
        pid = None
        try:
            mapped, painted = wait_for_paint(screen, blank, process, start)
            pid = wine_process(exe, process)
            cpu_to_paint = cpu_ns(pid) / 1e6
            # Stopped at once, so that a profile holds the start-up only; perf then ends (or is
            # told to, as it now and then misses the end of its child).
            os.kill(pid, signal.SIGKILL)
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.process.send_signal(signal.SIGINT)
                process.wait(timeout=30)
        finally:
            process.stop(pid)
    loads = []  # (ms, module, base address, builtin or native)
    marked = {}  # mark: [first, last] ms
    with open(log_path, errors="replace") as log:
        for line in log:
            match = TRACE_TIME.match(line)
            for mark in marks:
                if match and re.search(mark, line):
                    at = (int(match.group(1)) + int(match.group(2)) / 1000 - start_clock) * 1000
                    marked.setdefault(mark, [at, at])[1] = at
            match = LOADDLL.match(line)
            if match:
                at = int(match.group(1)) + int(match.group(2)) / 1000
                module = match.group(3).replace("\\\\", "\\").rsplit("\\", 1)[-1].lower()
                loads.append(((at - start_clock) * 1000, module, int(match.group(4), 16),
                              match.group(5)))
    samples = []  # (ms, module)
    if use_perf:
        script = subprocess.run(["perf", "script", "-i", perf_path, "-F", "pid,time,ip,dso"],
                                capture_output=True, text=True).stdout
        bases = sorted((base, module) for _, module, base, _ in loads)
        for line in script.splitlines():
            match = PERF_SAMPLE.match(line)
            if not match or int(match.group(1)) != pid:
                continue
            module = os.path.basename(match.group(4))
            if module.startswith(("[JIT]", "perf-")) or module == "[unknown]":
                # Code perf sees as anonymous memory: named after the DLL loaded below it.
                ip = int(match.group(3), 16)
                below = [m for base, m in bases if base <= ip < base + 0x1000000]
                module = below[-1] if below else "[unknown]"
            samples.append(((float(match.group(2)) - start_clock) * 1000, module))
    return {"first paint": (painted - start) * 1000, "mapped": (mapped - start) * 1000,
            "CPU to first paint": cpu_to_paint, "loads": loads, "samples": samples,
            "marked": marked}


def print_timeline(runs):
    """The DLLs in the order the program loads them, each at its median time over the runs."""
    rows = []
    for name in NAMES:
        for _, module, _, _ in runs[name][0]["loads"]:
            if module not in rows:
                rows.append(module)
    print(f"\nWhen each DLL was loaded, in ms from the start of `wine X.exe`: median over "
          f"{len(runs[NAMES[0]])} traced starts (Wine's trace clock, 1 ms steps)")
    print(f"{'':<36}" + "".join(f"{name:>16}" for name in NAMES))
    for module in rows:
        cells = []
        for name in NAMES:
            times = [next((at for at, m, _, _ in run["loads"] if m == module), None)
                     for run in runs[name]]
            times = [t for t in times if t is not None]
            cells.append(f"{statistics.median(times):16.0f}" if times else f"{'-':>16}")
        print(f"{module:<36}" + "".join(cells))
    marks = sorted({m for name in NAMES for run in runs[name] for m in run["marked"]})
    for mark, end in ((m, e) for m in marks for e in (0, 1)):
        cells = []
        for name in NAMES:
            times = [run["marked"][mark][end] for run in runs[name] if mark in run["marked"]]
            cells.append(f"{statistics.median(times):16.0f}" if times else f"{'-':>16}")
        print(f"{('first ' if end == 0 else 'last ') + mark:<36.36}" + "".join(cells))
    for figure in ("mapped", "first paint", "CPU to first paint"):
        print(f"{figure + (' (CPU ms)' if figure.startswith('CPU') else ''):<36}" + "".join(
            f"{statistics.median(run[figure] for run in runs[name]):16.0f}" for name in NAMES))


def print_segments(name, run):
    """Wall and processor time between one DLL load and the next, and where the processor went."""
    events = [(0.0, "start")] + [(at, module) for at, module, _, _ in run["loads"]]
    events.append((run["first paint"], "first paint"))
    print(f"\n{name}, the start of median processor time under perf (first paint "
          f"{run['first paint']:.0f} ms): from each event to the next, wall ms, processor ms of "
          "the process, and its main modules")
    for (begin, what), (end, _) in zip(events, events[1:]):
        inside = [module for at, module in run["samples"] if begin <= at < end]
        cpu = len(inside) * 1000 / PERF_HZ
        if end - begin < 2 and cpu < 2:
            continue
        top = collections.Counter(inside).most_common(4)
        print(f"  {begin:6.0f} {what:<34}{end - begin:6.0f} wall {cpu:6.1f} cpu  " + ", ".join(
            f"{module} {count * 1000 / PERF_HZ:.1f}" for module, count in top))


def module_times(run):
    """{module: ms} of one profiled start, up to its first paint."""
    counts = collections.Counter(module for at, module in run["samples"]
                                 if at < run["first paint"])
    return {module: count * 1000 / PERF_HZ for module, count in counts.items()}


def print_modules(profiled):
    runs = len(profiled[NAMES[0]])
    print(f"\nProcessor time of the process from its start to the first paint by module, in ms: "
          f"median over {runs} starts under perf (cpu-clock at {PERF_HZ // 1000} kHz; the Wine "
          "server and the X server are not in it)")
    times = {name: [module_times(run) for run in profiled[name]] for name in NAMES}
    medians = {name: {module: statistics.median(t.get(module, 0.0) for t in times[name])
                      for module in {m for t in times[name] for m in t}}
               for name in NAMES}
    order = sorted({m for t in medians.values() for m in t},
                   key=lambda m: -max(t.get(m, 0.0) for t in medians.values()))
    print(f"{'module':<28}" + "".join(f"{name:>16}" for name in NAMES))
    for module in order:
        if max(t.get(module, 0.0) for t in medians.values()) < 0.5:
            continue
        print(f"{module:<28}" + "".join(f"{medians[name].get(module, 0.0):16.1f}"
                                        for name in NAMES))
    print(f"{'total':<28}" + "".join(
        f"{statistics.median(sum(t.values()) for t in times[name]):16.1f}" for name in NAMES))
    print(f"{'first paint under perf':<28}" + "".join(
        f"{statistics.median(run['first paint'] for run in profiled[name]):16.1f}"
        for name in NAMES))


def median_run(runs):
    """The start whose processor time up to the first paint is the median one."""
    ordered = sorted(runs, key=lambda run: sum(module_times(run).values()))
    return ordered[len(ordered) // 2]


def profile(session, screen, programs, blank, rounds, channels, marks, keep_logs):
    use_perf = perf_works()
    turns = rotations(NAMES)
    with tempfile.TemporaryDirectory(prefix="velmora-profile-") as workdir:
        if keep_logs:
            os.makedirs(keep_logs, exist_ok=True)
            workdir = keep_logs
        runs = {name: [] for name in NAMES}
        for round_number in range(rounds):
            for name in turns[round_number % len(turns)]:
                runs[name].append(traced_start(session, screen, programs[name], blank, workdir,
                                               False, channels, marks))
        print_timeline(runs)
        if not use_perf:
            print("\nperf cannot sample here (perf stat -e cpu-clock fails): no module profile")
            return
        # Without the extra channels: their output would be in the processor time.
        profiled = {name: [] for name in NAMES}
        for round_number in range(min(rounds, PERF_ROUNDS)):
            for name in turns[round_number % len(turns)]:
                profiled[name].append(traced_start(session, screen, programs[name], blank,
                                                   workdir, True, [], []))
    for name in NAMES:
        print_segments(name, median_run(profiled[name]))
    print_modules(profiled)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir", nargs="?", default="build-windows")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--idle", type=float, default=1.0, help="idle period in seconds")
    parser.add_argument("--profile", action="store_true",
                        help="trace the DLL loads (and profile with perf) instead")
    parser.add_argument("--channels", default="",
                        help="with --profile: more Wine debug channels to trace, comma-separated "
                             "(e.g. ole,wincodecs)")
    parser.add_argument("--mark", action="append", default=[], metavar="REGEX",
                        help="with --profile: time the first and last trace line matching REGEX "
                             "(e.g. CoInitializeEx); may be repeated")
    parser.add_argument("--keep-logs", metavar="DIR",
                        help="with --profile: keep the Wine traces (and perf data) in DIR")
    parser.add_argument("--wineprefix", help="Wine prefix to make or reuse (default: temporary)")
    parser.add_argument("--wine", default="wine")
    parser.add_argument("--program", help="the .exe to measure (default: from BUILD_DIR)")
    parser.add_argument("--reference", help="the same-controls window (default: from BUILD_DIR)")
    parser.add_argument("--minimal", help="the minimal window (default: from BUILD_DIR)")
    parser.add_argument("--before", metavar="EXE",
                        help="an earlier build of the program, measured in the same rounds")
    arguments = parser.parse_args()
    bench = os.path.join(arguments.build_dir, "bench", "win32")
    programs = {
        "program": arguments.program
        or os.path.join(arguments.build_dir, "app", "Velmora Temperature Converter.exe"),
        "same controls": arguments.reference or os.path.join(bench, "reference_window.exe"),
        "minimal": arguments.minimal or os.path.join(bench, "minimal_window.exe"),
    }
    if arguments.before and not arguments.profile:
        programs["before"] = arguments.before
    programs, session = wine_session(arguments.build_dir, arguments.wine, arguments.wineprefix,
                                     programs)
    with session:
        screen = Screen(session.display.name)
        blank = screen.pixels()
        # One untimed start each, so that all start with warm file caches.
        for name in programs:
            run_once(session, screen, programs[name], blank, 0.1)
        if arguments.profile:
            profile(session, screen, programs, blank, arguments.rounds,
                    [c for c in arguments.channels.split(",") if c], arguments.mark,
                    arguments.keep_logs)
            return
        results = {name: [] for name in programs}
        turns = rotations(list(programs))
        for round_number in range(arguments.rounds):
            for name in turns[round_number % len(turns)]:
                results[name].append(run_once(session, screen, programs[name], blank,
                                              arguments.idle))
            print(f"round {round_number + 1}/{arguments.rounds}: " + ", ".join(
                f"{name} {results[name][-1]['first paint']:.0f} ms" for name in programs),
                file=sys.stderr, flush=True)
    print_table(results, arguments.rounds)


if __name__ == "__main__":
    main()

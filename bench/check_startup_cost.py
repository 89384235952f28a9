#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Guards the cost of start-up: instructions to the first paint, program against Qt's hello.

Usage: check_startup_cost.py STARTUP_PROFILE FACTOR [SANITIZERS]
Runs STARTUP_PROFILE (bench/startup_profile.cpp) once under callgrind as "program" and once as
"hello" (offscreen) and fails when the program's count exceeds FACTOR times the hello window's.
Callgrind counts repeat within a fraction of a per cent, so one run each is enough.
Exits with 77 (skipped) without valgrind or when SANITIZERS (the build's) is not empty.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77


def instructions(profile, mode, work):
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=work)
    result = subprocess.run(
        ["valgrind", "--tool=callgrind", f"--callgrind-out-file={work}/{mode}.out", profile,
         mode], env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
        timeout=300)
    found = re.search(r"Collected : (\d+)", result.stderr)
    if result.returncode != 0 or not found:
        sys.exit(f"{mode}: callgrind run failed ({result.returncode}):\n{result.stderr}")
    return int(found.group(1))


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    profile, factor = sys.argv[1], float(sys.argv[2])
    if len(sys.argv) == 4 and sys.argv[3]:
        print(f"built with sanitizers ({sys.argv[3]}): skipped")
        return SKIPPED
    if not shutil.which("valgrind"):
        print("valgrind not found: skipped")
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="velmora-cost-") as work:
        os.chmod(work, 0o700)
        program = instructions(profile, "program", work)
        hello = instructions(profile, "hello", work)
    ratio = program / hello
    print(f"instructions to the first paint: program {program / 1e6:.1f} M, "
          f"hello {hello / 1e6:.1f} M, ratio {ratio:.3f} (limit {factor})")
    if ratio > factor:
        print(f"the program's start-up costs more than {factor}x Qt's hello window")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

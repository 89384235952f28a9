# SPDX-License-Identifier: MIT
"""What the Windows program's tests under Wine share: a private X display, and waiting for a
condition."""

import os
import subprocess
import time


def start_display():
    """Starts Xvfb on a display of its own, points DISPLAY at it and returns its process."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        os.environ["DISPLAY"] = ":" + pipe.readline().strip()
    return xvfb


def wait_for(what, probe, timeout=20.0):
    """Polls probe() until it returns something truthy; fails with `what` after the timeout."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        last = probe()
        if last:
            return last
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what} (last seen: {last!r})")

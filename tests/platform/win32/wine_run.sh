#!/bin/bash
# SPDX-License-Identifier: MIT
# Runs a test program under Wine (wine_run.sh [--display] WINE PROGRAM [ARGUMENTS]) once the
# prefix's last Wine server has gone: a server in its last moments drops a client that connects to
# it then ("wine client error: recvmsg: Connection reset by peer"). With --display, on a private
# Xvfb display of its own, for a program that makes windows.
set -eu
display=false
if [ "${1:-}" = --display ]; then
    display=true
    shift
fi
wineserver -w
if ! $display; then
    exec "$@"
fi
command -v Xvfb >/dev/null || { echo "skipped: Xvfb not found"; exit 77; }
. "$(dirname "$0")/../../../scripts/lib/xvfb.sh"
start_xvfb
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
stop_processes "$xvfb_pid"
exit "$status"

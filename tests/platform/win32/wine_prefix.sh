#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the Wine prefix ($WINEPREFIX) that the Windows tests run in, once per build tree: no
# desktop session, no Mono or Gecko installers (WINEDLLOVERRIDES), no display needed.
set -eu
if [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
command -v wineboot >/dev/null || { echo "skipped: wineboot not found"; exit 77; }
DISPLAY= wineboot -i >/dev/null 2>&1
# The registry is written when the prefix's server ends.
wineserver -w
test -f "$WINEPREFIX/system.reg"

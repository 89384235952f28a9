#!/bin/sh
# SPDX-License-Identifier: MIT
# Makes the Wine prefix ($WINEPREFIX) that the Windows tests run in, once per build tree: no
# desktop session, no Mono or Gecko installers (WINEDLLOVERRIDES), no display needed.
# Usage: wine_prefix.sh WINE (the loader the tests run under: wine, or wine64 for a 64-bit build)
set -eu
wine=$1
if [ -f "$WINEPREFIX/system.reg" ]; then
    exit 0
fi
command -v "$wine" >/dev/null || { echo "skipped: Wine not found"; exit 77; }
DISPLAY= "$wine" wineboot -i >/dev/null 2>&1
# The contract suite's windows are left to no window manager (there is none on its display):
# managed, each one's destruction would wait two seconds for the manager to withdraw it.
DISPLAY= "$wine" reg add 'HKCU\Software\Wine\AppDefaults\contract_tests.exe\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
# The registry is written when the prefix's server ends.
wineserver -w
test -f "$WINEPREFIX/system.reg"

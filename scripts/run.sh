#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target velmora-temperature-converter

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Run it on a desktop, or on a virtual display:  xvfb-run -a scripts/run.sh" >&2
    exit 1
fi
exec build/app/velmora-temperature-converter

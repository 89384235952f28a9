#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program, its tests and benchmarks, and runs every test: the formatting check, the
# whole suite (workflow preset "ci"), the Windows program's build and tests under Wine, a bounded
# fuzzing run of the conversion engine, and the whole suite once more under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer (workflow preset "sanitize"). The presets are in
# CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test
scripts/check-format.sh

CMAKE_BUILD_PARALLEL_LEVEL=$(nproc)
CTEST_PARALLEL_LEVEL=$(nproc)
export CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL

cmake --workflow --preset ci
# The Windows program: cross-built with MinGW-w64 and tested under Wine (scripts/build-windows.sh),
# with the artwork the ci build rendered. Without root its packages can only be checked; when
# they are missing there, the step is skipped with a note.
if [[ "$(id -u)" == 0 ]] || scripts/deps.sh windows 2>/dev/null; then
    VELMORA_ARTWORK_DIR="$PWD/build/resources/artwork" scripts/build-windows.sh test
else
    echo "Skipping the Windows build and its tests: scripts/deps.sh windows names what is missing"
fi
scripts/fuzz.sh
cmake --workflow --preset sanitize

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program, its tests and benchmarks, and runs every test: the formatting check, the
# whole suite (workflow preset "ci"), a bounded fuzzing run of the conversion engine, and the whole
# suite once more under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer (workflow
# preset "sanitize"). The presets are in CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test
scripts/check-format.sh

CMAKE_BUILD_PARALLEL_LEVEL=$(nproc)
CTEST_PARALLEL_LEVEL=$(nproc)
export CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL

cmake --workflow --preset ci
scripts/fuzz.sh
cmake --workflow --preset sanitize

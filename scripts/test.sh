#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program, its tests and benchmarks, and runs every test: the whole suite, then the
# conversion tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test
scripts/check-format.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_GUI=OFF \
    -DVELMORA_BENCH=OFF -DVELMORA_SANITIZE=address,undefined
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

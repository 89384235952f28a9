#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a C++ file of the repository is not formatted by the repository's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -co --exclude-standard -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror
echo "Formatting: clean"

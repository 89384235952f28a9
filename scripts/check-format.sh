#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a C++ file of the repository is not formatted by the repository's .clang-format;
# with --fix, formats them instead (also the build's "format" target).
set -euo pipefail
cd "$(dirname "$0")/.."
files() { git ls-files -z -co --exclude-standard -- '*.cpp' '*.h'; }
if [[ "${1:-}" == "--fix" ]]; then
    files | xargs -0 -r clang-format -i
    echo "Formatting: applied"
else
    files | xargs -0 -r clang-format --dry-run --Werror
    echo "Formatting: clean"
fi

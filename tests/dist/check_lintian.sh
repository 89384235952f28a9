#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package into a scratch folder and runs lintian on it: errors and warnings fail
# the test; the informational and pedantic tags are listed. Without lintian the test is skipped.
# Usage: check_lintian.sh CPACK CPACK_CONFIG
set -euo pipefail

cpack=$1 config=$2
skip=77

if ! command -v lintian >/dev/null; then
    echo "SKIP: lintian is not installed (Debian package lintian)"
    exit "$skip"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack -G DEB failed" >&2
    exit 1
fi
debs=("$work"/out/*.deb)

# Root is warned against but changes nothing in what lintian checks.
status=0
lintian --pedantic --display-info --fail-on error,warning "${debs[@]}" >"$work/tags" 2>"$work/errors" ||
    status=$?
grep -v 'running with root privileges' "$work/errors" >&2 || true
cat "$work/tags"
if ((status != 0)); then
    echo "FAIL: lintian reports errors or warnings (status $status)" >&2
    exit 1
fi
echo "lintian: no errors or warnings; $(grep -c '^[IP]: ' "$work/tags" || true) informational or pedantic tags"

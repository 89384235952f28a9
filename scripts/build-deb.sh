#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: velmora-temperature-converter_<version>_<arch>.deb in build-deb/,
# built with Debian's hardening flags and from paths relative to the source folder, so that two
# clean clones of one commit give the same bytes wherever they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh deb

# The files' dates in the package: the commit's, unless given.
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]] && git rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi

cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DVELMORA_DEBIAN_BUILD_FLAGS=ON >/dev/null
cmake --build build-deb -j "$(nproc)"
(cd build-deb && cpack -G DEB >/dev/null)
for deb in build-deb/*.deb; do
    echo "Built $deb ($(stat -c %s "$deb") bytes)"
done

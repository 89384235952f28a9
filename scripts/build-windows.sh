#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the program for 32-bit Windows with MinGW-w64: "Velmora Temperature Converter.exe"
# in build-windows/app/, one self-contained executable that needs only DLLs Windows ships, and
# its packages in build-windows/: a Windows Installer package (.msi, made by wixl) and a portable
# .zip. With "test" it then runs the Windows tests under Wine: the conversion tests, the checks of
# the .exe, the end-to-end test of the .exe on a private Xvfb display and the install test of the
# .msi.
#
# The artwork is rendered by a host build (it needs Qt): the one in $VELMORA_ARTWORK_DIR if set,
# otherwise build-windows-host/.
#
# Given $VELMORA_SIGN_PKCS12 (a PKCS#12 file with the code-signing certificate and its key) and
# $VELMORA_SIGN_PASSWORD (its password), the .exe is signed before it is packaged, and the .msi
# too, with Authenticode (SHA-256); $VELMORA_SIGN_TIMESTAMP_URL, when set, names the RFC 3161
# timestamp server. Every date in the .exe and the packages is the commit's, or $SOURCE_DATE_EPOCH.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh windows

jobs=$(nproc)
artwork="${VELMORA_ARTWORK_DIR:-}"
if [[ -z "$artwork" ]]; then
    cmake -S . -B build-windows-host -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        >/dev/null
    cmake --build build-windows-host -j "$jobs" --target velmora_artwork_files
    artwork="$PWD/build-windows-host/resources/artwork"
fi

if [[ -z "${VELMORA_SIGN_PKCS12:-}" ]]; then
    echo "Not signing: VELMORA_SIGN_PKCS12 and VELMORA_SIGN_PASSWORD are not set"
fi

testing=OFF
[[ "${1:-}" == "test" ]] && testing=ON
cmake --preset windows -DBUILD_TESTING="$testing" -DVELMORA_ARTWORK_DIR="$artwork" >/dev/null
cmake --build build-windows -j "$jobs"

for built in "build-windows/app/Velmora Temperature Converter.exe" \
    build-windows/"Velmora Temperature Converter"-*.msi \
    build-windows/"Velmora Temperature Converter"-*-win32.zip; do
    echo "Built $built ($(stat -c %s "$built") bytes)"
done

if [[ "$testing" == ON ]]; then
    if wine --version >/dev/null 2>&1; then
        ctest --test-dir build-windows -j "$jobs" --output-on-failure
    else
        # Some kernels are built or booted without 32-bit x86 support, and then no 32-bit Wine
        # starts. The tests that run Windows code then run on a 64-bit build of the same sources
        # under 64-bit Wine; the checks of the shipped 32-bit files still read those files.
        echo "This machine cannot run 32-bit programs: the tests that run Windows code run on a"
        echo "64-bit build of the same sources under 64-bit Wine, in build-windows-x64/"
        ctest --test-dir build-windows -j "$jobs" --output-on-failure -LE wine
        scripts/deps.sh windows64
        cmake --preset windows-x64 -DVELMORA_ARTWORK_DIR="$artwork" >/dev/null
        cmake --build build-windows-x64 -j "$jobs"
        ctest --test-dir build-windows-x64 -j "$jobs" --output-on-failure -L wine
    fi
fi

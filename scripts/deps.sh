#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes sure the Debian 12 packages for building and running (and, with "test", testing) are
# installed: installs them with apt-get when run as root, otherwise names what is missing. With
# "windows": what the Windows cross build and its tests under Wine need (scripts/build-windows.sh).
# With "deb": what building the Debian package needs (scripts/build-deb.sh).
set -euo pipefail

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins fonts-comic-neue)
test_packages=(libgtest-dev locales libbenchmark-dev clang libclang-rt-14-dev clang-format
               xvfb xauth xdotool imagemagick dbus-daemon at-spi2-core python3 python3-gi
               gir1.2-atspi-2.0 desktop-file-utils appstream dpkg-dev lintian file x11-utils
               binutils-mingw-w64-i686 valgrind devscripts weston qt6-wayland)

# The 32-bit Wine runs the 32-bit program; it needs the i386 architecture enabled in dpkg.
# wixl builds the Windows Installer package; msitools reads it back; osslsigncode signs it and
# the .exe, with a certificate openssl makes for the signing test. zlib inflates the pictures.
windows_packages=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev googletest
                  wine wine32:i386 xvfb xdotool x11-utils imagemagick wixl msitools osslsigncode
                  openssl)
# dpkg-shlibdeps finds the package's dependencies.
deb_packages=(dpkg-dev file)

# Where the kernel runs no 32-bit code, the Windows tests run on a 64-bit build under 64-bit Wine.
windows64_packages=(g++-mingw-w64-x86-64-posix wine64)

wanted=("${build_packages[@]}")
case "${1:-}" in
test) wanted+=("${test_packages[@]}") ;;
windows) wanted+=("${windows_packages[@]}") ;;
windows64) wanted+=("${windows_packages[@]}" "${windows64_packages[@]}") ;;
deb) wanted+=("${deb_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

if [[ "$(id -u)" == 0 ]]; then
    echo "Installing Debian packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "These Debian packages are missing: ${missing[*]}" >&2
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "First enable 32-bit packages:  sudo dpkg --add-architecture i386 && sudo apt-get update" >&2
    fi
    echo "Install them with:  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package into a scratch folder, checks its control fields and its files, then
# unpacks it and starts the unpacked program on a private X display until its window is mapped.
# Usage: check_deb.sh CPACK CPACK_CONFIG EXPECTED_FILES VERSION XCB_PLUGIN
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"

cpack=$1 config=$2 expected_files=$3 version=$4 xcb_plugin=$5
title="Velmora Temperature Converter"

work=$(mktemp -d)
app_pid="" xvfb_pid=""
cleanup() {
    stop_processes $app_pid $xvfb_pid
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if ! "$cpack" -G DEB --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB failed"
fi
debs=("$work"/out/*.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
package=$(field Package)
depends=$(field Depends)
echo "Installed-Size: $(field Installed-Size) KiB"
echo "Depends: $depends"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not '$version'"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture $(field Architecture)"
[[ -n $(field Maintainer) && -n $(field Description) ]] || fail "Maintainer or Description missing"

# Only the package names of Depends, one a line.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed -E 's/^ *//; s/[ :(].*//' | sort -u)
grep -qx libqt6widgets6 <<<"$depends_names" || fail "Depends lacks libqt6widgets6"
# Qt opens its X11 platform plugin with dlopen, out of sight of dpkg-shlibdeps; the package that
# ships the plugin must be a dependency all the same, or the program cannot open a window.
plugin_package=$(dpkg-query -S "$xcb_plugin" | sed -E 's/[:,].*//')
grep -qx "$plugin_package" <<<"$depends_names" ||
    fail "Depends lacks $plugin_package, which ships $xcb_plugin"

# The package holds the same files as an install into /usr.
dpkg-deb -c "$deb" | awk '/^-/ { print $NF }' | sed 's|^\./usr/||' | sort >"$work/packaged"
grep -v '^#' "$expected_files" | sort >"$work/expected"
diff -u "$work/expected" "$work/packaged" || fail "the package's files differ from the install's"

dpkg-deb -x "$deb" "$work/root"
program=$(grep -m1 '^Exec=' "$work"/root/usr/share/applications/*.desktop | sed -E 's/^Exec=([^ ]+).*/\1/')
wm_class=$(grep -m1 '^StartupWMClass=' "$work"/root/usr/share/applications/*.desktop | cut -d= -f2)
[[ -x $work/root/usr/bin/$program ]] || fail "the desktop entry starts '$program', not in usr/bin"

start_xvfb || fail "Xvfb did not start"

env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$work/root/usr/bin/$program" >"$work/app.log" 2>&1 &
app_pid=$!
mapped() {
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/app.log" >&2; fail "the program exited early"; }
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1)
    [[ -n $window ]]
}
poll 15 mapped || { cat "$work/app.log" >&2; fail "no visible window named '$title'"; }
echo "window $window mapped"

# The desktop matches the running window to its entry by WM_CLASS.
class=$(xprop -id "$window" WM_CLASS | sed -E 's/.*", "(.*)"$/\1/')
[[ $class == "$wm_class" ]] || fail "WM_CLASS class is '$class', the entry's StartupWMClass '$wm_class'"
echo "package $package: fields, files and start-up as expected"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders docs/screenshot.png: the main window after typing 37, beside the About window, both
# taken from the real program on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/xvfb.sh
program=${1:-build/app/velmora-temperature-converter}
out=${2:-docs/screenshot.png}
work=$(mktemp -d)
xvfb_pid=""
trap 'stop_processes ${app:-} $xvfb_pid; rm -rf "$work"' EXIT

start_xvfb

"$program" >/dev/null 2>&1 &
app=$!
main=$(xdotool search --all --sync --onlyvisible --pid "$app" --name '^Velmora Temperature Converter$' | head -1)
# Takes a window once it has painted (one not yet painted is a single flat colour).
capture() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    for _ in $(seq 50); do
        # From the screen, as a user sees it: no window manager here to composite for us.
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
        if [[ $(convert "$2" -format '%[fx:standard_deviation>0.02]' info:) == 1 ]]; then
            return
        fi
        sleep 0.1
    done
    echo "window $1 never painted" >&2
    exit 1
}

xdotool windowfocus --sync "$main" type --delay 40 37
sleep 0.3 # the last keystroke's repaint
capture "$main" "$work/main.png"

# The About banner sits along the bottom edge of the main window.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT - 20)) click 1
about=$(xdotool search --all --sync --onlyvisible --pid "$app" --name '^Form2$' | head -1)
capture "$about" "$work/about.png"

mkdir -p "$(dirname "$out")"
convert "$work/main.png" "$work/about.png" -gravity center -bordercolor "#202020" -border 12 \
    +append -strip "$out"
echo "Wrote $out"

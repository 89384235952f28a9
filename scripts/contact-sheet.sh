#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders docs/artwork.png: every picture the build generates, at 1x and 2x, and the icon at each
# size, labelled, on one sheet to look at.
set -euo pipefail
cd "$(dirname "$0")/.."
artwork=${1:-build/resources/artwork}
out=${2:-docs/artwork.png}
[[ -d $artwork/pictures ]] || { echo "No artwork in $artwork: build first (scripts/test.sh or cmake --build build)" >&2; exit 1; }

# The names and sizes live in design/pictures.h, read as the build reads them.
read -r pictures sizes < <(cmake -P design/pictures.cmake)
pictures=${pictures//;/ } sizes=${sizes//;/ }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One labelled tile a picture, laid out in rows: each picture at 1x beside its 2x, then the icons.
tile() { # picture label output
    convert "$1" \( -background '#9a9a9a' -fill black -pointsize 14 label:"$2" \) \
        -background '#9a9a9a' -gravity center -append -bordercolor '#9a9a9a' -border 10 "$3"
}
rows=()
for name in $pictures; do
    tile "$artwork/pictures/$name.png" "$name.png" "$work/$name-1.png"
    tile "$artwork/pictures/$name@2x.png" "$name@2x.png" "$work/$name-2.png"
    convert "$work/$name-1.png" "$work/$name-2.png" -background '#9a9a9a' -gravity north +append \
        "$work/row-$name.png"
    rows+=("$work/row-$name.png")
done
icons=()
for size in $sizes; do
    tile "$artwork/icons/velmora-$size.png" "icon $size px" "$work/icon-$size.png"
    icons+=("$work/icon-$size.png")
done
convert "${icons[@]}" -background '#9a9a9a' -gravity south +append "$work/row-icons.png"
rows+=("$work/row-icons.png")

mkdir -p "$(dirname "$out")"
convert "${rows[@]}" -background '#9a9a9a' -gravity west -append -strip "$out"
echo "Wrote $out"

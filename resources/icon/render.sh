#!/usr/bin/env bash
# Regenerate every toolbar/app PNG in this folder from its SVG source in src/.
# Needs only rsvg-convert (Debian/Ubuntu package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"

command -v rsvg-convert >/dev/null || { echo "rsvg-convert not found (install librsvg2-bin)" >&2; exit 1; }

size48="openfile print reload zoomin zoomout resizefit gotocdt pickmode prefile nextfile
        pointsizeup pointsizedown linewiden linenarrow listmenu"
size128="logo conditionalpick"
size72="showpoint hidepoint showline hideline showrect hiderect showpath hidepath
        showcircle hidecircle showpolygon hidepolygon"

render() {  # render SIZE NAME...
    local px=$1; shift
    for name in "$@"; do
        rsvg-convert --width "$px" --height "$px" --format png \
            --output "$name.png" "src/$name.svg"
        echo "$name.png ${px}x${px}"
    done
}

render 48  $size48
render 128 $size128
render 72  $size72

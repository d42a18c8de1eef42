#!/usr/bin/env bash
# Regenerate every toolbar/app PNG in this folder from its SVG source in src/: each at its size
# and at two and three times it (name@2x.png, name@3x.png), which screens that scale by more than
# one use, so that the icons stay sharp there.
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
        for scale in 1 2 3; do
            local out="$name@${scale}x.png" side=$((px * scale))
            [ "$scale" -eq 1 ] && out="$name.png"
            rsvg-convert --width "$side" --height "$side" --format png \
                --output "$out" "src/$name.svg"
            echo "$out ${side}x${side}"
        done
    done
}

render 48  $size48
render 128 $size128
render 72  $size72

#!/usr/bin/env bash
# Draws the program icon (32 x 32): a resistor's zigzag between two leads on
# a rounded tile. Run again after a change and commit zentorix.png.
set -euo pipefail
cd "$(dirname "$0")"
/usr/bin/convert -size 32x32 xc:none \
    -fill '#1F5FAF' -stroke none -draw 'roundrectangle 0,0 31,31 6,6' \
    -fill none -stroke white -strokewidth 2 \
    -draw 'polyline 2,16 7,16 9,10 12,22 15,10 18,22 21,10 24,22 26,16 30,16' \
    PNG32:zentorix.png

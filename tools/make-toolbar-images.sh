#!/usr/bin/env bash
# Draws the main window's eight 16 x 15 toolbar images into res/toolbar/.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/res/toolbar"
mkdir -p "$out"
new() { convert -size 16x15 xc:none "$@"; }

# Two pages side by side, a changed line on each.
new -fill white -stroke '#505050' -draw 'rectangle 0,1 6,13 rectangle 9,1 15,13' \
    -stroke '#303030' -draw 'line 2,4 5,4 line 2,10 5,10 line 11,4 14,4 line 11,10 14,10' \
    -stroke '#c00000' -draw 'line 2,7 5,7 line 11,7 14,7' "$out/compare.png"
# Two folders.
new -fill '#e8c050' -stroke '#806010' -draw 'rectangle 0,4 6,12 rectangle 9,4 15,12' \
    -draw 'rectangle 0,2 3,4 rectangle 9,2 12,4' "$out/compare-folders.png"
# Two streams joining into a window.
new -fill white -stroke '#505050' -draw 'rectangle 5,6 15,14' -fill '#2a6fb0' -stroke none \
    -draw 'rectangle 6,7 14,8' -stroke '#2a6fb0' -draw 'line 0,1 4,5 line 8,0 6,4 line 3,4 5,6' \
    -stroke '#303030' -draw 'line 7,10 13,10 line 7,12 12,12' "$out/merge-screen.png"
# Two streams joining into a page with a folded corner.
new -fill white -stroke '#505050' -draw 'polygon 6,5 12,5 15,8 15,14 6,14' \
    -stroke '#2a6fb0' -draw 'line 0,0 4,4 line 9,0 7,3 line 3,3 5,6' \
    -stroke '#303030' -draw 'line 8,9 13,9 line 8,11 13,11' "$out/merge-file.png"
# Up and down arrows towards a changed line.
new -fill '#c00000' -stroke none -draw 'rectangle 2,0 13,2' -fill '#2a6fb0' \
    -draw 'polygon 8,3 14,9 10,9 10,14 6,14 6,9 2,9' "$out/previous-change.png"
new -fill '#c00000' -stroke none -draw 'rectangle 2,12 13,14' -fill '#2a6fb0' \
    -draw 'polygon 8,11 14,5 10,5 10,0 6,0 6,5 2,5' "$out/next-change.png"
# Three sliders.
new -stroke '#505050' -draw 'line 1,3 14,3 line 1,7 14,7 line 1,11 14,11' \
    -fill '#2a6fb0' -stroke '#1a4f80' -draw 'rectangle 9,1 11,5 rectangle 3,5 5,9 rectangle 7,9 9,13' \
    "$out/settings.png"
# A blue disc with an i.
new -fill '#2a6fb0' -stroke none -draw 'circle 7.5,7 7.5,0.5' -fill white \
    -draw 'rectangle 7,6 8,11 rectangle 7,3 8,4' "$out/about.png"
echo "Toolbar images written to $out"

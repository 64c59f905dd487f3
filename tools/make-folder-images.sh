#!/usr/bin/env bash
# Draws the Folder Comparison window's pictures: the six 16 x 16 state images
# of its result list into res/folders/, and its 32 x 32 window icon (two
# yellow folders) into res/icons/folders.png. Needs ImageMagick's convert.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/res/folders"
mkdir -p "$out"

outline='#404040'
grey='#707070'
red='#d00000'

# Two document sheets: the back one upper right, the front one lower left,
# drawn back first. A sheet is solid (white, full outline) or dotted (a dotted
# outline, nothing inside); a solid sheet's text lines are grey or red.
back=(5,0 14,10)
front=(1,5 10,15)
solid() { args+=(-fill white -stroke "$outline" -draw "rectangle $1 $2"); }
# A dotted outline is every other pixel of the rectangle's edge; a faint
# white inside softens what lies behind it.
dotted() {
    local x0=${1%,*} y0=${1#*,} x1=${2%,*} y1=${2#*,} points="" x y
    for ((x = x0; x <= x1; x += 2)); do points+=" point $x,$y0 point $x,$y1"; done
    for ((y = y0; y <= y1; y += 2)); do points+=" point $x0,$y point $x1,$y"; done
    args+=(-fill '#ffffffa0' -stroke none -draw "rectangle $1 $2" -fill "$outline" -draw "$points")
}
back_lines() { args+=(-stroke "$1" -draw 'line 7,2 12,2 line 7,4 12,4 line 12,6 12,6 line 12,8 12,8'); }
front_lines() { args+=(-stroke "$1" -draw 'line 3,8 8,8 line 3,10 8,10 line 3,12 7,12'); }
sheets() { # back style, back lines colour, front style, front lines colour, file
    args=()
    "$1" "${back[@]}"
    [[ -z $2 ]] || back_lines "$2"
    "$3" "${front[@]}"
    [[ -z $4 ]] || front_lines "$4"
    convert -size 16x16 xc:none +antialias "${args[@]}" "$out/$5"
}
sheets solid "$grey" solid "$grey" same.png
sheets dotted "" solid "$grey" only-in-1.png
sheets solid "$grey" dotted "" only-in-2.png
sheets solid "$grey" solid "$red" newer-1.png
sheets solid "$red" solid "$grey" newer-2.png

# A red exclamation mark; it is also laid over other pictures, so the rest
# stays clear.
convert -size 16x16 xc:none +antialias -fill "$red" -stroke '#800000' \
    -draw 'rectangle 6,1 9,10' -draw 'rectangle 6,12 9,15' "$out/same-time.png"

# Two yellow folders, one behind the other.
folder() { # x y
    local x=$1 y=$2
    args+=(-fill '#d8a830' -stroke '#7a5a10'
        -draw "polygon $x,$((y + 2)) $((x + 7)),$((y + 2)) $((x + 9)),$((y + 4)) $((x + 19)),$((y + 4)) $((x + 19)),$((y + 16)) $x,$((y + 16))"
        -fill '#f4d060'
        -draw "polygon $x,$((y + 16)) $((x + 3)),$((y + 7)) $((x + 22)),$((y + 7)) $((x + 19)),$((y + 16))")
}
args=()
folder 9 2
folder 1 13
convert -size 32x32 xc:none "${args[@]}" "$root/res/icons/folders.png"
echo "Folder images written to $out and $root/res/icons/folders.png"

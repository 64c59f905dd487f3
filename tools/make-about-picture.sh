#!/usr/bin/env bash
# Draws the About box picture (82 x 113, at most 256 colours) into
# res/images/about.png: two compared pages whose lines flow into one merged
# page, on a blue ground. Needs ImageMagick's convert.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/res/images/about.png"

# Text lines of a page: "x1,y x2,y colour" triples drawn as 2-pixel strokes.
lines() {
    local x=$1 y=$2
    shift 2
    local stroke
    for stroke in "$@"; do
        local width=${stroke%%:*} colour=${stroke#*:}
        printf -- "-stroke '%s' -strokewidth 2 -draw 'line %d,%d %d,%d' " \
            "$colour" "$x" "$y" $((x + width)) "$y"
        y=$((y + 5))
    done
}

black='#202020'
changed='#aa0000'
inserted='#ff0000'
merged='#1d5fa8'

page() { # x y width height
    printf -- "-stroke '#34495e' -strokewidth 1 -fill white -draw 'rectangle %d,%d %d,%d' " \
        "$1" "$2" $(($1 + $3)) $(($2 + $4))
}

arrow() { # x y: a short arrow pointing down
    printf -- "-stroke none -fill '#f4d03f' -draw 'polygon %d,%d %d,%d %d,%d %d,%d %d,%d %d,%d %d,%d' " \
        $(($1 - 2)) "$2" $(($1 + 2)) "$2" $(($1 + 2)) $(($2 + 5)) $(($1 + 5)) $(($2 + 5)) \
        "$1" $(($2 + 10)) $(($1 - 5)) $(($2 + 5)) $(($1 - 2)) $(($2 + 5))
}

draw="$(page 5 6 34 46) $(lines 9 12 24:$black 18:$black 22:$changed 14:$changed 25:$black 20:$black 16:$black 23:$black)"
draw+="$(page 43 14 34 46) $(lines 47 20 24:$black 18:$black 20:$inserted 25:$inserted 12:$inserted 25:$black 20:$black 23:$black)"
draw+="$(arrow 22 54) $(arrow 60 62)"
draw+="$(page 22 75 38 32) $(lines 26 81 26:$merged 19:$merged 24:$merged 15:$merged 28:$merged)"

eval convert -size 82x113 "'gradient:#173f6b-#7fb2dc'" $draw \
    -colors 256 -type Palette "PNG8:$out"
echo "wrote $out"

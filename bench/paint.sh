#!/usr/bin/env bash
# Pane and main window paint times of this tree against a baseline commit,
# side by side.
#
#   bench/paint.sh [MODE...]      modes of bench/paint: long, gutter (default both)
#   BASE=<commit> (default main), REPEAT=<runs> (default 3),
#   BUILD=<this tree's build folder> (default build/release)
#
# Builds the paint program of this tree in BUILD and of BASE in
# build/paint-base (BASE's sources with this tree's bench/paint.cpp and
# bench/panepair.h, so that both make the same measurements), runs the two
# alternately REPEAT times per mode, and prints for every case the median
# before and after, after / before, and both against the 5 ms a paint may take.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export LC_ALL=C
base=${BASE:-main}
repeat=${REPEAT:-3}
build=${BUILD:-$root/build/release}
modes=("$@")
[ ${#modes[@]} -eq 0 ] && modes=(long gutter)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# build_paint SOURCE-DIR BUILD-DIR
build_paint() {
    if [ ! -f "$2/build.ninja" ]; then
        CCACHE_BASEDIR="$1" cmake -S "$1" -B "$2" -G Ninja "${launcher[@]}" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    CCACHE_BASEDIR="$1" nice cmake --build "$2" -j2 --target paint >/dev/null
}

work="$root/build/paint-base"
commit=$(git -C "$root" rev-parse "$base")
if [ "$(cat "$work/commit" 2>/dev/null)" != "$commit" ]; then
    rm -rf "$work"
    mkdir -p "$work/src"
    git -C "$root" archive "$commit" | tar -x -C "$work/src"
    echo "$commit" >"$work/commit"
fi
cp "$root/bench/paint.cpp" "$root/bench/panepair.h" "$work/src/bench/"
echo "Building bench/paint of $base (${commit:0:10}) and of this tree ..."
build_paint "$work/src" "$work/build"
build_paint "$root" "$build"

results=$(mktemp)
trap 'rm -f "$results"' EXIT
# Lines of the form "  <case> <milliseconds> ms  (...)" become
# "<mode>: <case> TAB <which> TAB <milliseconds>".
collect() {
    local which=$1 mode=$2 program=$3
    "$program" "$mode" 2>/dev/null | awk -v which="$which" -v mode="$mode" '
        / ms  \(/ {
            name = substr($0, 3, 44); sub(/ +$/, "", name)
            value = substr($0, 48); sub(/ ms.*/, "", value)
            printf "%s: %s\t%s\t%s\n", mode, name, which, value + 0
        }' >>"$results"
}
for mode in "${modes[@]}"; do
    for ((run = 1; run <= repeat; ++run)); do
        collect before "$mode" "$work/build/bench/paint"
        collect after "$mode" "$build/bench/paint"
    done
done

printf '%-56s %10s %10s %8s %10s %10s\n' case "before ms" "after ms" ratio "before/5" "after/5"
sort -t$'\t' -k1,1 -k2,2 -k3,3g "$results" | awk -F'\t' '
    function flush(   key, b, a) {
        if (current == "") return
        b = median["before"]; a = median["after"]
        paint = current !~ /scroll sizes/ # the rest are paints, held to 5 ms
        printf "%-56s %10s %10s %8s %10s %10s\n", current,
            b == "" ? "-" : sprintf("%.3f", b), a == "" ? "-" : sprintf("%.3f", a),
            (a == "" || b == "" || b == 0) ? "-" : sprintf("%.2f", a / b),
            (b == "" || !paint) ? "-" : sprintf("%.2f", b / 5), (a == "" || !paint) ? "-" : sprintf("%.2f", a / 5)
        delete median
    }
    function pick(   n) {
        if (count > 0) median[which] = values[int((count + 1) / 2)]
        count = 0
    }
    {
        if ($1 != current) { pick(); flush(); current = $1 }
        else if ($2 != which) pick()
        which = $2
        values[++count] = $3
    }
    END { pick(); flush() }'

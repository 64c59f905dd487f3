#!/usr/bin/env bash
# Start-up to a painted comparison: `lindo A B` on the edited-1m pair, from
# launch until both panes have painted the finished comparison, against
# `lindo --merge A B > /dev/null` on the same pair in the same run.
#
#   bench/startup.sh [path to lindo] [pair]
#       defaults: build/release/src/lindo, edited-1m; REPEAT=7 runs each
#
# The window runs under one xvfb-run with LINDO_EXIT_AFTER_PAINT set, which
# makes it leave right after that first paint; its wall time is the figure.
# The pair is made with gen_pairs (beside lindo's build tree) when missing.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
lindo=${1:-$root/build/release/src/lindo}
pair=${2:-edited-1m}
repeat=${REPEAT:-7}
[[ -x $lindo ]] || { echo "no lindo binary at $lindo (build first)" >&2; exit 2; }
out=$root/bench/out
a=$out/$pair.1
b=$out/$pair.2
if [[ ! -f $a || ! -f $b ]]; then
    gen=$(dirname "$(dirname "$lindo")")/bench/gen_pairs
    mkdir -p "$out"
    "$gen" "$out" "$pair" >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Every setting at its default, and nothing left behind.
export LINDO_SETTINGS_FILE=$work/settings.ini

# Runs inside the X server: REPEAT interleaved runs of both, one wall time
# (seconds) per line, "window T" or "merge T".
cat >"$work/runs.sh" <<'RUNS'
lindo=$1 a=$2 b=$3 repeat=$4
LINDO_EXIT_AFTER_PAINT=1 "$lindo" "$a" "$b" 2>/dev/null   # warm the caches
"$lindo" --merge "$a" "$b" >/dev/null
for ((r = 0; r < repeat; ++r)); do
    start=$EPOCHREALTIME
    LINDO_EXIT_AFTER_PAINT=1 "$lindo" "$a" "$b" 2>"$RUNS_DIR/err" || true
    end=$EPOCHREALTIME
    grep -q '^painted$' "$RUNS_DIR/err" || { echo "the window did not report its paint" >&2; cat "$RUNS_DIR/err" >&2; exit 1; }
    echo "window $(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')"
    start=$EPOCHREALTIME
    "$lindo" --merge "$a" "$b" >/dev/null
    end=$EPOCHREALTIME
    echo "merge $(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')"
done
RUNS
RUNS_DIR=$work xvfb-run -a bash "$work/runs.sh" "$lindo" "$a" "$b" "$repeat" >"$work/times"

median() { grep "^$1 " "$work/times" | cut -d' ' -f2 | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
t_window=$(median window)
t_merge=$(median merge)
awk -v w="$t_window" -v m="$t_merge" -v pair="$pair" -v n="$repeat" 'BEGIN {
    printf "%s, median of %d:\n", pair, n
    printf "lindo --merge A B > /dev/null:    %.3f s\n", m
    printf "lindo A B, launch to painted:     %.3f s   ratio %.2f\n", w, w / m
    printf "(target: lindo A B within 0.6 s)\n" }'

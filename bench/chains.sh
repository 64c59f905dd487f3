#!/usr/bin/env bash
# Times `lindo --merge A B` on crafted pairs that make the matching rules take
# one cycle per block (gen_chains), each side by side in one run with ordinary
# pairs of the same size: gen_pairs' edited pair, and the same lines moved the
# same way with every line once (one cycle). Goal: each crafted pair within
# 3 x its ordinary pair's time + 0.1 s.
#
#   bench/chains.sh                   REPEAT=5 runs per command by default
#   LINDO_OLD=path/to/lindo bench/chains.sh
#                                     also times another build, on the pairs
#                                     it finishes within OLD_LIMIT seconds (10)
# shellcheck source=/dev/null
source "$(dirname "$0")/../tools/setup.sh"
export LC_ALL=C

repeat=${REPEAT:-5}
build="$LINDO_ROOT/build/release"
out="$LINDO_ROOT/bench/out"
lindo="$build/src/lindo"
mkdir -p "$out"

lindo_build_targets "$build" "$out/build.log" lindo gen_pairs gen_chains

stamp="$out/.chains"
source_sum=$(cat "$LINDO_ROOT/bench/gen_pairs.cpp" "$LINDO_ROOT/bench/gen_chains.cpp" | sha1sum | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$source_sum" ]; then
    echo "Generating the pairs into $out ..."
    "$build/bench/gen_pairs" "$out" edited-100k edited-1m >/dev/null
    "$build/bench/gen_chains" "$out"
    # An ordinary pair with a 10,001-line chain after it.
    cp "$out/edited-100k.1" "$out/edited-100k-chain.1"
    cp "$out/edited-100k.2" "$out/edited-100k-chain.2"
    "$build/bench/gen_chains" --append 5000 "$out/edited-100k-chain.1" "$out/edited-100k-chain.2"
    echo "$source_sum" >"$stamp"
fi

# Median wall seconds of REPEAT runs of PROGRAM on pair NAME (one warm-up run
# first); empty when a run takes longer than the limit.
seconds() {
    local program=$1 name=$2 limit=${3:-0} times=() start end status
    for ((run = 0; run <= repeat; ++run)); do
        start=$EPOCHREALTIME
        status=0
        if [ "$limit" != 0 ]; then
            timeout "$limit" "$program" --merge "$out/$name.1" "$out/$name.2" >/dev/null || status=$?
        else
            "$program" --merge "$out/$name.1" "$out/$name.2" >/dev/null || status=$?
        fi
        end=$EPOCHREALTIME
        [ "$status" -eq 124 ] && return 0
        if [ "$status" -ne 0 ]; then
            echo "lindo failed (exit $status) on $name" >&2
            exit 1
        fi
        [ "$run" -gt 0 ] && times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# crafted pair, gen_pairs' ordinary pair, same-shape ordinary pair
rows=(
    "chain-reversed-100k edited-100k moved-reversed-100k"
    "chain-shuffled-100k edited-100k moved-shuffled-100k"
    "chain-reversed-1m edited-1m moved-reversed-1m"
    "chain-shuffled-1m edited-1m moved-shuffled-1m"
    "edited-100k-chain edited-100k -"
)
echo
echo "Median of $repeat runs (wall seconds); goal: crafted <= 3 x ordinary + 0.1 s"
printf '%-20s %9s %12s %6s %-6s %12s %6s %-6s %10s\n' pair "lindo s" "edited s" ratio goal "same-shape s" ratio goal "old lindo s"
for row in "${rows[@]}"; do
    read -r crafted edited shape <<<"$row"
    # Interleaved: each program's runs follow one another, pairs alternate.
    tc=$(seconds "$lindo" "$crafted")
    te=$(seconds "$lindo" "$edited")
    ts=-
    [ "$shape" != - ] && ts=$(seconds "$lindo" "$shape")
    old=-
    [ -n "${LINDO_OLD:-}" ] && old=$(REPEAT=1 seconds "$LINDO_OLD" "$crafted" "${OLD_LIMIT:-10}") && [ -z "$old" ] && old=">${OLD_LIMIT:-10}"
    awk -v p="$crafted" -v c="$tc" -v e="$te" -v s="$ts" -v o="$old" 'BEGIN {
        re = c / e; ge = (c <= 3 * e + 0.1) ? "met" : "MISSED"
        if (s == "-") { rs = "-"; gs = "-" } else { rs = sprintf("%.2f", c / s); gs = (c <= 3 * s + 0.1) ? "met" : "MISSED" }
        printf "%-20s %9.3f %12.3f %6.2f %-6s %12s %6s %-6s %10s\n", p, c, e, re, ge, s, rs, gs, o
    }'
done

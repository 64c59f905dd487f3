#!/usr/bin/env bash
# Times `lindo --merge A B` against GNU diff producing the same kind of union
# output (unchanged lines, lines only in A, and B's side of every change), on
# the generated pairs of gen_pairs, and checks lindo's peak memory.
#
#   bench/compare.sh [PAIR...]        REPEAT=5 runs per command by default
#   OPTIONS="none -b -w -i" bench/compare.sh
#                                     each pair once per option set (none =
#                                     no option; "-b -i" in one word: -bi),
#                                     given to both programs; every row with
#                                     options also shows lindo's time
#                                     against its time without options
#                                     (goal <= 1.2)
#   OLD=/path/to/lindo bench/compare.sh
#                                     also times that lindo, interleaved with
#                                     the others, for figures before and after
#                                     a change ("old s", "old ratio")
#
# Builds build/release when needed, generates the pairs into bench/out/ once
# (again only when the generator's source changed), warms the cache with one
# unmeasured run of each command, then measures REPEAT rounds in which the
# commands and option sets of a pair take turns, and reports the median wall
# time and the largest peak RSS of the first three (taken in runs of their
# own).
# shellcheck source=/dev/null
source "$(dirname "$0")/../tools/setup.sh"
export LC_ALL=C

repeat=${REPEAT:-5}
read -r -a option_sets <<<"${OPTIONS:-none}"
build="$LINDO_ROOT/build/release"
out="$LINDO_ROOT/bench/out"
lindo="$build/src/lindo"
gen="$build/bench/gen_pairs"
pairs=("$@")
old=${OLD:-}
[ ${#pairs[@]} -eq 0 ] && pairs=(edited-100k edited-1m repetitive-200k identical-1m shared-ends-200k log-200k)

# Ratio goals: on identical files diff only compares two buffers and copies
# one out, so matching it there is the goal; everywhere else lindo should
# take at most half diff's time.
ratio_goal() { case "$1" in identical-1m | shared-ends-200k) echo 1.0 ;; *) echo 0.5 ;; esac; }

mkdir -p "$out"
if [ ! -x /usr/bin/time ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends time >/dev/null
fi

# Only the two programs measured here are built (at most two jobs: the
# machine is shared).
lindo_build_targets "$build" "$out/build.log" lindo gen_pairs

stamp="$out/.generator"
source_sum=$(sha1sum "$LINDO_ROOT/bench/gen_pairs.cpp" | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$source_sum" ]; then
    echo "Generating the pairs into $out ..."
    "$gen" "$out"
    echo "$source_sum" >"$stamp"
fi

diff_args=(--old-group-format='%<' --new-group-format='%>' --changed-group-format='%>'
           --unchanged-group-format='%=')
opts=() # the option set being measured
lindo_cmd() { "$lindo" --merge "${opts[@]}" "$1" "$2"; }
diff_cmd() { diff "${opts[@]}" "${diff_args[@]}" "$1" "$2"; }

# One run of lindo, old or diff on A B: sets run_seconds, or with "peak" in
# front run_kib, its peak memory, instead. The wall time is the command's own,
# from the shell's clock: run under /usr/bin/time (whose own %e has only 10 ms
# steps), every time also held that program's start, 1-2 ms, a tenth of the
# smallest pair's time. diff exits 1 when the files differ; only a higher
# status is trouble.
measure() {
    local peak=0
    [ "$1" = peak ] && { peak=1; shift; }
    local tool=$1 a=$2 b=$3 start end status=0 worst=0
    local -a command
    case $tool in
    lindo) command=("$lindo" --merge "${opts[@]}" "$a" "$b") ;;
    old) command=("$old" --merge "${opts[@]}" "$a" "$b") ;;
    *) command=(diff "${opts[@]}" "${diff_args[@]}" "$a" "$b") worst=1 ;;
    esac
    if [ "$peak" = 1 ]; then
        /usr/bin/time -f '%M' -o "$out/.rss" "${command[@]}" >/dev/null || status=$?
        run_kib=$(tail -n 1 "$out/.rss")
    else
        start=$EPOCHREALTIME
        "${command[@]}" >/dev/null || status=$?
        end=$EPOCHREALTIME
        run_seconds=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
    fi
    if [ "$status" -gt "$worst" ]; then
        echo "$tool failed (exit $status) on $a $b" >&2
        exit 1
    fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { sort -n | tail -n 1; }

rows=()
# The option sets of a pair take turns within every round, as lindo and diff
# do: "vs none" sets the runs of two sets against each other, and this
# machine's speed drifts from one minute to the next.
declare -A lindo_times diff_times old_times lindo_rss diff_rss lindo_lines diff_lines
for pair in "${pairs[@]}"; do
    a="$out/$pair.1"
    b="$out/$pair.2"
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
        echo "no pair $pair in $out" >&2
        exit 1
    fi
    lindo_times=() diff_times=() old_times=() lindo_rss=() diff_rss=() lindo_lines=() diff_lines=()
    for set in "${option_sets[@]}"; do
        opts=()
        [ "$set" = none ] || opts=("$set")
        # Warm-up runs, counting the output lines as a rough cross-check.
        lindo_lines[$set]=$(lindo_cmd "$a" "$b" | wc -l)
        diff_lines[$set]=$( (diff_cmd "$a" "$b" || true) | wc -l)
        [ -n "$old" ] && "$old" --merge "${opts[@]}" "$a" "$b" >/dev/null
        old_times[$set]=0
    done
    for ((run = 0; run < repeat; ++run)); do
        for set in "${option_sets[@]}"; do
            opts=()
            [ "$set" = none ] || opts=("$set")
            measure lindo "$a" "$b"
            lindo_times[$set]+="$run_seconds "
            if [ "$run" -lt 3 ]; then
                measure peak lindo "$a" "$b"
                lindo_rss[$set]+="$run_kib "
            fi
            measure diff "$a" "$b"
            diff_times[$set]+="$run_seconds "
            if [ "$run" -lt 3 ]; then
                measure peak diff "$a" "$b"
                diff_rss[$set]+="$run_kib "
            fi
            if [ -n "$old" ]; then
                [ "$run" -eq 0 ] && old_times[$set]=""
                measure old "$a" "$b"
                old_times[$set]+="$run_seconds "
            fi
        done
    done
    for set in "${option_sets[@]}"; do
        ot=$(printf '%s\n' ${old_times[$set]} | median)
        lt=$(printf '%s\n' ${lindo_times[$set]} | median)
        dt=$(printf '%s\n' ${diff_times[$set]} | median)
        lm=$(printf '%s\n' ${lindo_rss[$set]} | largest)
        dm=$(printf '%s\n' ${diff_rss[$set]} | largest)
        input_bytes=$(( $(stat -c %s "$a") + $(stat -c %s "$b") ))
        rows+=("$pair $(wc -l <"$a") $input_bytes $lt $dt $lm $dm ${lindo_lines[$set]} ${diff_lines[$set]} $(ratio_goal "$pair") $set $ot")
    done
done

echo
echo "Median of $repeat runs (wall seconds), largest peak RSS; memory target = inputs + 48 MiB"
printf '%s\n' "${rows[@]}" | awk -v with_old="${old:+1}" '
BEGIN {
    printf "%-16s %-5s %8s %8s %8s %8s %6s %5s %-6s %9s %9s %9s %-6s %9s %9s %s\n",
        "pair", "opts", "lines", "in MiB", "lindo s", "diff s", "ratio", "goal", "speed",
        "lindo MiB", "diff MiB", "target", "memory", "lindo out", "diff out", "vs none (goal 1.2)"
    if (with_old)
        printf "%-16s %-5s %8s %9s %6s %s\n", "pair", "opts", "old s", "old ratio", "speed", "old vs none"
}
{
    mib = $3 / 1048576
    ratio = $5 > 0 ? $4 / $5 : 0
    lindo_mib = $6 / 1024
    target = mib + 48
    # Against the time lindo takes without options: dividing the two ratios
    # instead would credit lindo with the time the options cost diff.
    if ($11 == "none")
        plain[$1] = $4
    against = ""
    if ($11 != "none" && ($1 in plain) && plain[$1] > 0)
        against = sprintf("%.2f %s", $4 / plain[$1], $4 / plain[$1] <= 1.2 ? "met" : "MISSED")
    printf "%-16s %-5s %8d %8.1f %8.3f %8.3f %6.2f %5.1f %-6s %9.1f %9.1f %9.1f %-6s %9d %9d %s\n",
        $1, $11, $2, mib, $4, $5, ratio, $10, (ratio <= $10 ? "met" : "MISSED"),
        lindo_mib, $7 / 1024, target, (lindo_mib <= target ? "met" : "MISSED"), $8, $9, against
    if (with_old) {
        old_ratio = $5 > 0 ? $12 / $5 : 0
        if ($11 == "none")
            old_plain[$1] = $12
        old_against = ""
        if ($11 != "none" && ($1 in old_plain) && old_plain[$1] > 0)
            old_against = sprintf("%.2f %s", $12 / old_plain[$1], $12 / old_plain[$1] <= 1.2 ? "met" : "MISSED")
        old_rows = old_rows sprintf("%-16s %-5s %8.3f %9.2f %-6s %s\n", $1, $11, $12, old_ratio,
            (old_ratio <= $10 ? "met" : "MISSED"), old_against)
    }
}
END {
    if (with_old)
        printf "\nThe same rows with OLD in place of lindo (diff s as above):\n%s", old_rows
}'

for pair in "${pairs[@]}"; do
    [ "$pair" = identical-1m ] || continue
    opts=()
    if cmp -s <(lindo_cmd "$out/$pair.1" "$out/$pair.2") "$out/$pair.2"; then
        echo "$pair: lindo's merge output equals the input (LF line ends): yes"
    else
        echo "$pair: lindo's merge output equals the input (LF line ends): NO"
        exit 1
    fi
done

# What the smallest pair cannot go below: a process that starts and exits
# (lindo on two empty files, and diff on them), and reading the two inputs
# once into a fresh process (cat). A ratio goal under these floors is out of
# the program's reach.
for pair in "${pairs[@]}"; do
    [ "$pair" = edited-100k ] || continue
    : >"$out/.empty"
    start_times=() diff_start_times=() read_times=()
    for ((run = 0; run < repeat * 3; ++run)); do
        start=$EPOCHREALTIME
        "$lindo" --merge "$out/.empty" "$out/.empty" >/dev/null
        middle=$EPOCHREALTIME
        diff "$out/.empty" "$out/.empty" >/dev/null
        end=$EPOCHREALTIME
        cat "$out/$pair.1" "$out/$pair.2" >/dev/null
        read_end=$EPOCHREALTIME
        start_times+=("$(awk -v s="$start" -v e="$middle" 'BEGIN { printf "%.4f", e - s }')")
        diff_start_times+=("$(awk -v s="$middle" -v e="$end" 'BEGIN { printf "%.4f", e - s }')")
        read_times+=("$(awk -v s="$end" -v e="$read_end" 'BEGIN { printf "%.4f", e - s }')")
    done
    echo "$pair floors (median of $((repeat * 3))): lindo on empty files $(printf '%s\n' "${start_times[@]}" | median) s," \
        "diff on empty files $(printf '%s\n' "${diff_start_times[@]}" | median) s," \
        "cat of both inputs $(printf '%s\n' "${read_times[@]}" | median) s"
done

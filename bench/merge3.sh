#!/usr/bin/env bash
# Three-way merge speed and memory: `lindo --merge3` against
# `git merge-file -p` and `diff3 -m` on the same triple, a 1,000,000-line
# source-like base and two versions of it with 2,000 edits each (gen_merge3).
#
#   bench/merge3.sh                REPEAT=5 interleaved runs per command
#
# Builds lindo and gen_merge3 in build/release when needed, generates the
# triple into bench/out/ once (again only when the generator's source
# changed), warms the cache with one unmeasured run of each command, then
# prints the median wall time and the largest peak RSS of each, lindo's
# ratios against the two peers (goal <= 0.3 against each) and whether its
# peak stays within 150 MiB. It also checks that lindo's output equals git's
# wherever git's merge is clean, by comparing the two outputs whole when
# neither has a conflict, and the conflict counts otherwise.
# shellcheck source=/dev/null
source "$(dirname "$0")/../tools/setup.sh"
export LC_ALL=C

repeat=${REPEAT:-5}
build="$LINDO_ROOT/build/release"
out="$LINDO_ROOT/bench/out"
lindo="$build/src/lindo"
gen="$build/bench/gen_merge3"
mkdir -p "$out"
if [ ! -x /usr/bin/time ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends time >/dev/null
fi
for tool in git diff3; do
    command -v "$tool" >/dev/null || { echo "merge3.sh needs $tool" >&2; exit 2; }
done

lindo_build_targets "$build" "$out/build.log" lindo gen_merge3

stamp="$out/.merge3-generator"
source_sum=$(sha1sum "$LINDO_ROOT/bench/gen_merge3.cpp" | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$source_sum" ]; then
    echo "Generating the triple into $out ..."
    "$gen" "$out"
    echo "$source_sum" >"$stamp"
fi
first="$out/merge3.1" base="$out/merge3.base" second="$out/merge3.2"

command_of() {
    case "$1" in
    lindo) echo "$lindo" --merge3 ;;
    git) echo git merge-file -p ;;
    diff3) echo diff3 -m ;;
    esac
}
run_tool() {
    local -a command
    read -r -a command <<<"$(command_of "$1")"
    "${command[@]}" "$first" "$base" "$second"
}

# One measured run, its output dropped as compare.sh drops it: sets
# run_seconds and run_kib. All three exit non-zero
# when conflicts are left (git with their count); only a crash (a status
# above 128) or diff3's trouble status 2 counts as failure.
measure() {
    local tool=$1 start end status=0
    start=$EPOCHREALTIME
    local -a command
    read -r -a command <<<"$(command_of "$tool")"
    /usr/bin/time -f '%M' -o "$out/.rss" "${command[@]}" "$first" "$base" "$second" >/dev/null 2>&1 || status=$?
    end=$EPOCHREALTIME
    if [ "$status" -gt 128 ] || { [ "$tool" != git ] && [ "$status" -gt 1 ]; }; then
        echo "$tool failed (exit $status)" >&2
        exit 1
    fi
    run_seconds=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
    run_kib=$(tail -n 1 "$out/.rss")
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
largest() { sort -n | tail -n 1; }

# The warm-up runs keep the outputs, for the conflict counts and the check.
for tool in lindo git diff3; do run_tool $tool >"$out/merge3.out.$tool" 2>/dev/null || true; done
declare -A times rss
for ((run = 0; run < repeat; ++run)); do
    for tool in lindo git diff3; do
        measure $tool
        times[$tool]+="$run_seconds "
        rss[$tool]+="$run_kib "
    done
done

conflicts() { grep -c '^<<<<<<<' "$out/merge3.out.$1" || true; }
echo
echo "merge3: $(wc -l <"$base") base lines, $(wc -l <"$first") and $(wc -l <"$second") in the sides;" \
     "median of $repeat runs (wall seconds), largest peak RSS"
printf '%-6s %8s %9s %10s\n' tool seconds "peak MiB" conflicts
for tool in lindo git diff3; do
    t=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median)
    m=$(tr ' ' '\n' <<<"${rss[$tool]}" | grep . | largest)
    printf '%-6s %8.3f %9.1f %10d\n' $tool "$t" "$(awk -v k="$m" 'BEGIN { print k / 1024 }')" "$(conflicts $tool)"
    eval "t_$tool=$t m_$tool=$m"
done
awk -v l="$t_lindo" -v g="$t_git" -v d="$t_diff3" -v m="$m_lindo" 'BEGIN {
    printf "lindo / git merge-file: %.2f (goal 0.3: %s)\n", l / g, l / g <= 0.3 ? "met" : "MISSED"
    printf "lindo / diff3 -m:       %.2f (goal 0.3: %s)\n", l / d, l / d <= 0.3 ? "met" : "MISSED"
    printf "lindo peak memory:      %.1f MiB (goal 150: %s)\n", m / 1024, m / 1024 <= 150 ? "met" : "MISSED"
}'
if [ "$(conflicts lindo)" -eq 0 ] && [ "$(conflicts git)" -eq 0 ]; then
    cmp -s "$out/merge3.out.lindo" "$out/merge3.out.git" && echo "clean merges equal git's: yes" ||
        { echo "clean merges equal git's: NO"; exit 1; }
fi

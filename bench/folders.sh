#!/usr/bin/env bash
# Folder comparison speed: `lindo --folders` against `diff -rq` on the same two
# trees of 20,000 files in 2,000 folders, about 2% of them differing, 2%
# missing from the second tree and 2% extra in it. Both tools run on a warm
# file cache; each is timed several times and the best run counts.
#
# Then the Folder Comparison window (bench/folderwindow.cpp, under xvfb-run)
# runs Go over the same trees with identical files shown, against
# `lindo --folders` with the same setting: every file is a row.
#
#   bench/folders.sh [path to lindo [path to the folderwindow bench]]
#       (defaults: build/release/src/lindo, build/release/bench/folderwindow;
#        WINDOW=0 skips the window)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
lindo=${1:-$root/build/release/src/lindo}
window=${2:-$(dirname "$(dirname "$lindo")")/bench/folderwindow}
runs=${RUNS:-5}
[[ -x $lindo ]] || { echo "no lindo binary at $lindo (build first)" >&2; exit 2; }

work=$(mktemp -d)
[[ -n ${KEEP:-} ]] || trap 'rm -rf "$work"' EXIT   # KEEP=1 keeps the trees
one=$work/one
two=$work/two
# The scan reads the show-same setting at every identical pair of files, so
# it is timed twice: with no settings file (every value at its default) and
# with a settings file as a program that has run before leaves it.
export LINDO_SETTINGS_FILE=$work/none.ini

# 40 top folders, each with 49 subfolders: 2,000 folders; 10 files in every
# one of them: 20,000 files.
echo "building trees in $work ..."
line=$(printf 'the quick brown fox jumps over the lazy dog %.0s' {1..8})
n=0
for top in $(seq -w 0 39); do
    for sub in "" $(seq -w 0 48); do
        folder=t$top${sub:+/s$sub}
        mkdir -p "$one/$folder" "$two/$folder"
        for f in $(seq 0 9); do
            n=$((n + 1))
            name="$folder/file$f.txt"
            body="$n $line"$'\n'"$line"$'\n'
            for ((k = 0; k < n % 7; ++k)); do body+="$line"$'\n'; done
            printf '%s' "$body" >"$one/$name"
            case $((n % 100)) in
            7 | 57) ;;                                                   # missing from two
            13) printf '%s' "${body%?}!" >"$two/$name" ;;                # same size, last byte differs
            63) printf '%s%s\n' "$body" "changed" >"$two/$name" ;;      # longer
            *) printf '%s' "$body" >"$two/$name" ;;
            esac
            if ((n % 50 == 41)); then printf 'extra %s\n' "$n" >"$two/$folder/extra$f.txt"; fi
        done
    done
done
echo "files: $(find "$one" -type f | wc -l) and $(find "$two" -type f | wc -l)," \
     "folders: $(find "$one" -mindepth 1 -type d | wc -l)"

best() { # best wall time of $runs runs of the command, in seconds
    local best=
    for ((r = 0; r < runs; ++r)); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null || [[ $? -eq 1 ]]
        end=$(date +%s.%N)
        best=$(echo "$start $end ${best:-1e9}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
    done
    echo "$best"
}

# Both exit 1 when the trees differ, as these do.
"$lindo" --folders "$one" "$two" >"$work/lindo.out" || [[ $? -eq 1 ]]
diff -rq "$one" "$two" >"$work/diff.out" || true
echo "rows: lindo $(wc -l <"$work/lindo.out"), diff -rq $(wc -l <"$work/diff.out")"

t_diff=$(best diff -rq "$one" "$two")
t_lindo=$(best "$lindo" --folders "$one" "$two")
cat >"$work/stored.ini" <<'INI'
[General]
FilePath1=/home/user/a.txt,/home/user/b.txt,
FilePath2=/home/user/c.txt,
WindowPos=@ByteArray(\0\0\0\0\0\0\0\0\x80\x2\0\0\xe0\x1\0\0)
FoldersExceptionStrings="\\Debug\\,\\Release\\,.ncb,"
ColorIdentical=0
ColorDifferent=170
ColorInserted=255
FoldersShowSame=0
FoldersExStrEnabled=1
INI
t_stored=$(LINDO_SETTINGS_FILE=$work/stored.ini best "$lindo" --folders "$one" "$two")
awk -v l="$t_lindo" -v s="$t_stored" -v d="$t_diff" 'BEGIN {
    printf "diff -rq:                              %.3f s\n", d
    printf "lindo --folders, no settings file:     %.3f s   ratio %.2f\n", l, l / d
    printf "lindo --folders, with a settings file: %.3f s   ratio %.2f\n", s, s / d
    printf "(target: ratio <= 1.0)\n" }'

[[ ${WINDOW:-1} != 0 ]] || exit 0
[[ -x $window ]] || { echo "no folderwindow bench at $window: window not timed" >&2; exit 0; }
printf '[General]\nFoldersShowSame=1\n' >"$work/same.ini"
export LINDO_SETTINGS_FILE=$work/same.ini
t_same=$(best "$lindo" --folders "$one" "$two")
# The window's own figure is the run of Go alone: from the press to the last row.
t_window=$(xvfb-run -a bash -c 'best=1e9
    for ((r = 0; r < $0; ++r)); do
        t=$("$1" time "$2" "$3" 2>/dev/null | sed -n "s/.*seconds \([0-9.]*\).*/\1/p")
        best=$(awk -v t="$t" -v b="$best" "BEGIN { print (t < b ? t : b) }")
    done
    echo "$best"' "$runs" "$window" "$one" "$two")
rows=$(xvfb-run -a "$window" time "$one" "$two" 2>/dev/null | sed -n 's/^rows \([0-9]*\).*/\1/p')
awk -v s="$t_same" -v w="$t_window" -v rows="$rows" 'BEGIN {
    printf "identical files shown (%d rows in the window):\n", rows
    printf "lindo --folders:                       %.3f s\n", s
    printf "Folder Comparison window, Go:          %.3f s   ratio %.2f\n", w, w / s
    printf "(target: ratio <= 1.5)\n" }'

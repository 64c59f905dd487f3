#!/usr/bin/env bash
# completion_test.sh options|files|folders SCRIPT
# Sources the completion as bash would, and asks it for the candidates of a
# command line typed so far, as bash does on TAB.
set -uo pipefail
check=$1 script=$(realpath "$2")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 2
touch alpha.txt
mkdir beta

# shellcheck source=/dev/null
source "$script"
function=$(complete -p lindo 2>/dev/null | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || { echo "the script registers no completion function for lindo" >&2; exit 1; }

# complete WORD... : the candidates for the last word, one a line, sorted.
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" lindo "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

failed=0
expect() {
    local want=$1
    shift
    local got
    got=$(complete_line "$@")
    if [ "$got" != "$want" ]; then
        printf 'completing "%s": want [%s], got [%s]\n' "$*" "$want" "$got" >&2
        failed=1
    fi
}

case $check in
options)
    expect $'--merge\n--merge3' lindo --me
    expect --diff3 lindo --merge3 alpha.txt --di
    expect --ignore-case lindo --sections --ignore-c
    expect --encoding lindo --merge --enc
    expect KOI8-R lindo --sections --encoding KOI
    expect --no-exceptions lindo --folders old --no
    ;;
files)
    expect alpha.txt lindo al
    expect alpha.txt lindo --merge alpha.txt beta -o al
    ;;
folders)
    expect beta lindo --folders ''
    ;;
*)
    echo "unknown check: $check" >&2
    exit 2
    ;;
esac
exit $failed

#!/usr/bin/env bash
# manpage_test.sh renders|options LINDO PAGE
#   renders: the page formats without a single warning from the formatter.
#   options: every option `lindo --help` prints is named in the formatted page.
set -euo pipefail
check=$1 lindo=$2 page=$3

# Plain ASCII text: hyphens stay hyphens, no overstrikes.
render() {
    if command -v man >/dev/null; then
        MANWIDTH=80 LC_ALL=C man "$@" -l "$page"
    elif command -v groff >/dev/null; then
        groff -man -Tascii -P-cbou -wmac "$page"
    else
        echo "neither man nor groff is installed" >&2
        exit 77
    fi
}

case $check in
renders)
    if command -v man >/dev/null; then
        warnings=$(render --warnings 2>&1 >/dev/null)
    else
        warnings=$(render 2>&1 >/dev/null)
    fi
    if [ -n "$warnings" ]; then
        printf 'the manual page does not format cleanly:\n%s\n' "$warnings" >&2
        exit 1
    fi
    ;;
options)
    text=$(render 2>/dev/null | sed 's/.\x08//g')
    # Options as the usage writes them: after a blank, a bracket or a bar.
    options=$("$lindo" --help | grep -oE '(^|[][ |])--?[a-z][a-z-]*' | sed 's/^[][ |]//' | sort -u)
    [ -n "$options" ] || { echo "lindo --help printed no options" >&2; exit 1; }
    missing=0
    for option in $options; do
        if ! grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$text"; then
            echo "the manual page does not name $option" >&2
            missing=1
        fi
    done
    exit $missing
    ;;
*)
    echo "unknown check: $check" >&2
    exit 2
    ;;
esac

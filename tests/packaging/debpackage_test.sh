#!/usr/bin/env bash
# debpackage_test.sh BUILD-DIR LINDO
# Makes the Debian package of the build tree in a scratch folder, checks what
# it holds and what it depends on, unpacks it into a scratch root and runs the
# programs from there: no root, no network, nothing installed.
set -uo pipefail
build=$1 lindo=$2

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
    echo "$*" >&2
    failed=1
}

if ! cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack could not make the package"
    exit 1
fi
debs=("$scratch"/out/lindo_*.deb)
[ -f "${debs[0]}" ] || { cat "$scratch/cpack.log" >&2; echo "cpack made no lindo_*.deb" >&2; exit 1; }
deb=${debs[0]}

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/lindo usr/libexec/lindo/lindo-window usr/libexec/lindo/lindo-folders \
    usr/share/man/man1/lindo.1 usr/share/applications/lindo.desktop \
    usr/share/icons/hicolor/128x128/apps/lindo.png usr/share/icons/hicolor/32x32/apps/lindo.png \
    usr/share/bash-completion/completions/lindo; do
    grep -qx "\./$path" <<<"$listing" || fail "the package does not hold /$path"
done

depends=$(dpkg-deb -f "$deb" Depends)
grep -qE '(^|, )libqt6widgets6( |,|$)' <<<"$depends" || fail "the package does not depend on libqt6widgets6: $depends"
for field in Maintainer Description Section; do
    [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field field"
done

dpkg-deb -x "$deb" "$scratch/root"
version=$("$scratch/root/usr/bin/lindo" --version) || fail "the unpacked lindo --version failed"
[ "$version" = "$("$lindo" --version)" ] || fail "the unpacked lindo prints another version: $version"

# --folders runs the helper in libexec/lindo: the unpacked lindo must find
# the unpacked helper from where it stands.
mkdir -p "$scratch/one" "$scratch/two"
echo text >"$scratch/one/only.txt"
listing=$(LINDO_SETTINGS_FILE="$scratch/settings.ini" "$scratch/root/usr/bin/lindo" --folders "$scratch/one" "$scratch/two")
status=$?
[ "$status" = 1 ] && [ "$listing" = "$(printf 'Only in folder1\t/only.txt')" ] ||
    fail "the unpacked lindo --folders gave status $status and: $listing"

exit $failed

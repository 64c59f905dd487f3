# Sourced by run.sh and test.sh: installs what a fresh Debian 12 machine is
# missing, then configures and builds one build tree.
#   lindo_setup <build-dir> [extra cmake arguments...]
set -euo pipefail

LINDO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LINDO_PACKAGES="cmake ninja-build g++ qt6-base-dev libacl1-dev libattr1-dev libgtest-dev libgmock-dev xvfb xauth fonts-liberation2 ccache man-db dpkg-dev dbus-daemon at-spi2-core python3-pyatspi"
# The git mergetool test sends keys to the Three-way Merge window.
LINDO_PACKAGES="$LINDO_PACKAGES xdotool"
# Character widths and boundaries, and fonts with CJK and emoji glyphs for the panes.
LINDO_PACKAGES="$LINDO_PACKAGES libutf8proc-dev fonts-wqy-zenhei fonts-noto-color-emoji"

lindo_install_packages() {
    local missing=""
    for package in $LINDO_PACKAGES; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}

lindo_configure() {
    local build_dir="$1"
    shift
    lindo_install_packages
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$LINDO_ROOT"
    fi
    cmake -S "$LINDO_ROOT" -B "$build_dir" -G Ninja "${launcher[@]}" "$@"
}

lindo_setup() {
    lindo_configure "$@"
    cmake --build "$1"
}

# For the benchmarks: an optimised tree with only the named targets built, at
# most two jobs (the machine is shared); the output goes to the log, which is
# shown when the build fails.
#   lindo_build_targets <build-dir> <log> <target...>
lindo_build_targets() {
    local build_dir="$1" log="$2"
    shift 2
    if ! { lindo_configure "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            && cmake --build "$build_dir" -j 2 --target "$@"; } >"$log" 2>&1; then
        cat "$log" >&2
        return 1
    fi
}

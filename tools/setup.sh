# Sourced by run.sh and test.sh: installs what a fresh Debian 12 machine is
# missing, then configures and builds one build tree.
#   lindo_setup <build-dir> [extra cmake arguments...]
set -euo pipefail

LINDO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LINDO_PACKAGES="cmake ninja-build g++ qt6-base-dev libacl1-dev libattr1-dev libgtest-dev libgmock-dev xvfb xauth fonts-liberation2 ccache man-db dpkg-dev dbus-daemon at-spi2-core python3-pyatspi"

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

lindo_setup() {
    local build_dir="$1"
    shift
    lindo_install_packages
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$LINDO_ROOT"
    fi
    cmake -S "$LINDO_ROOT" -B "$build_dir" -G Ninja "${launcher[@]}" "$@"
    cmake --build "$build_dir"
}

#!/usr/bin/env bash
# Screenshots of the main window on a virtual X server.
#   tools/screenshots/main.sh [output folder]   (default: build/screenshots)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/screenshots}
ninja -C "$root/build/release" mainshots
xvfb-run -a "$root/build/release/tools/screenshots/mainshots" "$out"

#!/usr/bin/env bash
# Screenshots of the comparison panes on a virtual X server.
#   tools/screenshots/view.sh [output folder]   (default: build/screenshots)
# Builds the release tree's viewshots program first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build/screenshots}
ninja -C "$root/build/release" viewshots
xvfb-run -a "$root/build/release/tools/screenshots/viewshots" "$out"

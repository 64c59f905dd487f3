#!/usr/bin/env bash
# Installs what is missing, builds Lindo and opens its window on the two sample files.
source "$(dirname "$0")/setup.sh"
lindo_setup "$LINDO_ROOT/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$LINDO_ROOT/build/release/src/lindo" "$LINDO_ROOT/samples/first.c" "$LINDO_ROOT/samples/second.c" "$@"

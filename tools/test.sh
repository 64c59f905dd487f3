#!/usr/bin/env bash
# Installs what is missing, builds Lindo and runs the whole test suite: once in
# an optimised build, once under AddressSanitizer + UndefinedBehaviorSanitizer,
# once under ThreadSanitizer (Qt paints on threads of its own); then runs each
# fuzz target for a minute.
source "$(dirname "$0")/setup.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=$(nproc 2>/dev/null || echo 2)

lindo_setup "$LINDO_ROOT/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$LINDO_ROOT/build/release" --output-on-failure -j "$jobs"

lindo_setup "$LINDO_ROOT/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DLINDO_SANITIZE=ON -DLINDO_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$LINDO_ROOT/tools/lsan.supp" \
    ctest --test-dir "$LINDO_ROOT/build/sanitize" --output-on-failure -j "$jobs"

lindo_setup "$LINDO_ROOT/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINDO_SANITIZE_THREAD=ON -DLINDO_BUILD_BENCH=OFF
TSAN_OPTIONS=suppressions="$LINDO_ROOT/tools/tsan.supp" \
    ctest --test-dir "$LINDO_ROOT/build/tsan" --output-on-failure -j "$jobs"

# Each fuzz target for a minute, where clang and its libFuzzer runtime can be had.
LINDO_FUZZ_OPTIONAL=1 "$LINDO_ROOT/fuzz/run.sh" "${LINDO_FUZZ_SECONDS:-60}"

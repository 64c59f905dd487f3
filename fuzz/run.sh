#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a while, starting from the
# small seed corpora under fuzz/corpus/<target>/.
#
#   fuzz/run.sh [seconds per target, default 60] [target ...]
#   targets: engine settings folderscan linechanges mergedtext merge3 (default: all six)
#
# What the runs add to the corpora stays in build/fuzz/corpus/; inputs that
# fail are kept in build/fuzz/artifacts/<target>/. Exits non-zero when any
# target fails. With LINDO_FUZZ_OPTIONAL=1 (as tools/test.sh sets it) a
# machine without clang and its libFuzzer runtime skips the runs instead.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(engine settings folderscan linechanges mergedtext merge3)
build="$root/build/fuzz"

fuzzer_runtime_present() {
    command -v clang++ >/dev/null 2>&1 || return 1
    local runtime
    runtime=$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null || true)
    [ -f "$runtime" ] && return 0
    # Newer layouts keep the runtime under a per-target folder.
    runtime=$(clang++ -print-runtime-dir 2>/dev/null || true)
    [ -n "$runtime" ] && ls "$runtime"/libclang_rt.fuzzer*.a >/dev/null 2>&1
}

install_fuzzer_tools() {
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: clang libclang-rt-14-dev"
    $sudo apt-get update -q >/dev/null &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends clang libclang-rt-14-dev
}

if ! fuzzer_runtime_present; then
    install_fuzzer_tools || true
    if ! fuzzer_runtime_present; then
        if [ "${LINDO_FUZZ_OPTIONAL:-0}" = 1 ]; then
            echo "fuzz: skipped (no clang with a libFuzzer runtime on this machine)"
            exit 0
        fi
        echo "fuzz: clang with its libFuzzer runtime is needed (Debian: clang, libclang-rt-14-dev)" >&2
        exit 2
    fi
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$root"
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLINDO_FUZZ=ON -DLINDO_BUILD_TESTS=OFF -DLINDO_BUILD_BENCH=OFF >/dev/null
for target in "${targets[@]}"; do
    cmake --build "$build" --target "fuzz_$target"
done

passed=0
failed=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    log="$build/fuzz_$target.log"
    mkdir -p "$corpus" "$artifacts"
    options=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1 -artifact_prefix="$artifacts/")
    [ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")
    [ "$target" = folderscan ] && options+=(-max_len=512)
    # Long enough for lines past the finder's limits on words and edits.
    [ "$target" = linechanges ] && options+=(-max_len=65536)
    asan_options=detect_leaks=1
    if [ "$target" = settings ]; then
        # Qt's decoder of @Variant values asks for as much memory as a length
        # field in the file says (tens of gigabytes from a few bytes), never
        # touches it, and copes when it does not get it. Refuse such requests,
        # as a system short of memory would, instead of counting them as a
        # crash (or filling the sanitizer's shadow memory for them).
        options+=(-malloc_limit_mb=65536)
        asan_options=$asan_options:allocator_may_return_null=1:max_allocation_size_mb=1024
    fi
    # New inputs go to the first folder; the seeds in the repository are only read.
    if ASAN_OPTIONS=$asan_options UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        passed=$((passed + 1))
        verdict="no failure"
    else
        failed=$((failed + 1))
        verdict="FAILED (log: $log, input: $(ls "$artifacts" | head -1))"
        tail -40 "$log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    corpus_size=$(find "$corpus" -type f | wc -l)
    echo "fuzz_$target: ${seconds} s, ${runs:-?} inputs, ${coverage:-cov: ?}, corpus $corpus_size, $verdict"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

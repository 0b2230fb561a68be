#!/usr/bin/env bash
# Fuzzes the front-panel logic for SECONDS seconds (default 60) from the seed corpus, or for a
# fixed number of inputs with --runs N. Builds the fuzzer (clang, ASan, UBSan) in build/fuzz.
# The growing corpus is kept in build/fuzz/corpus, findings in build/fuzz/findings.
# Usage: scripts/fuzz.sh [SECONDS] | scripts/fuzz.sh --runs N
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-max_total_time="${1:-60}")
if [ "${1:-}" = "--runs" ]; then
    limit=(-runs="${2:?--runs needs a number}")
fi
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
    CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKV410_FUZZ=ON -DKV410_BUILD_TESTS=OFF -DKV410_BUILD_WINDOW=OFF -DKV410_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2 --target kv410_fuzz_panel
mkdir -p "$build/corpus" "$build/findings"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
root=$(pwd)
fuzzer=("$root/$build/tests/fuzz/kv410_fuzz_panel" -timeout=300 -max_len=4096 -print_final_stats=1
        -entropic_scale_per_exec_time=1
        -artifact_prefix="$root/$build/findings/" "${limit[@]}" "$root/$build/corpus"
        "$root/tests/fuzz/corpus")
if [ "${1:-}" = "--runs" ]; then
    "${fuzzer[@]}"
else
    # One job in a child process, its output in build/fuzz/fuzz-0.log.
    cd "$build"
    nice -n 10 "${fuzzer[@]}" -jobs=1 -workers=1 || { tail -n 60 fuzz-0.log; exit 1; }
    tail -n 25 fuzz-0.log
fi

#!/usr/bin/env bash
# Fuzzes for SECONDS seconds (default 60) from the seed corpus, or for a fixed number of inputs
# with --runs N. Three targets: "panel" (default), flash images and front-panel actions; "script",
# the text of scenario scripts and lessons (seeds: tests/scenarios/, tests/lessons/); "flash", a
# Flash.dat read through the settings catalogue and the values kv410-flash set parses (seeds:
# tests/fuzz/flash-seeds/); "mcp", the JSON-RPC frames of kv410-script --mcp (seeds:
# tests/fuzz/mcp-seeds/).
# Builds the fuzzers (clang, ASan, UBSan) in build/fuzz. The growing corpus is kept in
# build/fuzz/corpus (build/fuzz/script-corpus, build/fuzz/flash-corpus, build/fuzz/mcp-corpus), findings in
# build/fuzz/findings.
# Usage: scripts/fuzz.sh [panel|script|flash|mcp] [SECONDS] | scripts/fuzz.sh [panel|script|flash|mcp] --runs N
set -euo pipefail
cd "$(dirname "$0")/.."
target=panel
if [ "${1:-}" = "panel" ] || [ "${1:-}" = "script" ] || [ "${1:-}" = "flash" ] ||
   [ "${1:-}" = "mcp" ]; then
    target="$1"
    shift
fi
limit=(-max_total_time="${1:-60}")
if [ "${1:-}" = "--runs" ]; then
    limit=(-runs="${2:?--runs needs a number}")
fi
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
    CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKV410_FUZZ=ON -DKV410_BUILD_TESTS=OFF -DKV410_BUILD_WINDOW=OFF -DKV410_BUILD_BENCH=OFF \
        -DKV410_PICTURES=OFF
fi
root=$(pwd)
if [ "$target" = script ]; then
    binary=kv410_fuzz_script
    corpus=("$root/$build/script-corpus" "$root/tests/scenarios" "$root/tests/lessons")
    options=(-max_len=8192 -dict="$root/tests/fuzz/script.dict" -timeout=60)
    prefix=script-
elif [ "$target" = flash ]; then
    binary=kv410_fuzz_flash
    corpus=("$root/$build/flash-corpus" "$root/tests/fuzz/flash-seeds")
    options=(-max_len=4096 -dict="$root/tests/fuzz/flash.dict" -timeout=60)
    prefix=flash-
elif [ "$target" = mcp ]; then
    binary=kv410_fuzz_mcp
    corpus=("$root/$build/mcp-corpus" "$root/tests/fuzz/mcp-seeds")
    options=(-max_len=4096 -dict="$root/tests/fuzz/mcp.dict" -timeout=60)
    prefix=mcp-
else
    binary=kv410_fuzz_panel
    corpus=("$root/$build/corpus" "$root/tests/fuzz/corpus")
    options=(-max_len=4096 -timeout=300)
    prefix=
fi
cmake --build "$build" -j2 --target "$binary"
mkdir -p "${corpus[0]}" "$build/findings"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
fuzzer=("$root/$build/tests/fuzz/$binary" "${options[@]}" -print_final_stats=1
        -entropic_scale_per_exec_time=1
        -artifact_prefix="$root/$build/findings/$prefix" "${limit[@]}" "${corpus[@]}")
if [ "${1:-}" = "--runs" ]; then
    "${fuzzer[@]}"
else
    # One job in a child process, its output in build/fuzz/fuzz-0.log.
    cd "$build"
    nice -n 10 "${fuzzer[@]}" -jobs=1 -workers=1 || { tail -n 60 fuzz-0.log; exit 1; }
    tail -n 25 fuzz-0.log
fi

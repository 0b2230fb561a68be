#!/usr/bin/env bash
# A long random-input run of the window under AddressSanitizer and UndefinedBehaviorSanitizer,
# offscreen: random sessions of a few hundred actions each are recorded, replayed by the runner
# and compared, and the Flash.dat each leaves must load.
# Usage: bench/window-soak.sh [SECONDS]   (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
cmake -S . -B build/asan-window -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV410_BUILD_BENCH=OFF \
    -DKV410_BUILD_WINDOW=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" >/dev/null
cmake --build build/asan-window --target kv410_window_RecordReplayTest
start=$(date +%s)
QT_QPA_PLATFORM=offscreen KV410_WINDOW_SOAK_SECONDS="$seconds" \
    QTEST_FUNCTION_TIMEOUT=$(( (seconds + 600) * 1000 )) \
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    build/asan-window/tests/window/kv410_window_RecordReplayTest soak
echo "window soak: $(( $(date +%s) - start )) s, no crash and no sanitizer report"

#!/usr/bin/env bash
# Ticks per second of the WebAssembly kv410-script under Node.js next to the native build, over
# the week-long idle scenario (12,096,002 ticks), runner included. Runs alternate between the two
# so both see the same load; the fastest of each counts (the machine is shared and noisy).
# Usage: bench/web-ticks-per-second.sh [native kv410-script] [kv410-script.js]
#   defaults: build/default/kv410-script and build/web/kv410-script.js (scripts/build-web.sh)
#   REPEAT=5   runs of each
# Target: the WebAssembly runner at least half as fast as the native one.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
native="$(realpath "${1:-$here/../build/default/kv410-script}")"
wasm="$(realpath "${2:-$here/../build/web/kv410-script.js}")"
repeat="${REPEAT:-5}"
scenario=week-idle.kvs
ticks=12096002
[ -x "$native" ] || { echo "no native kv410-script at $native" >&2; exit 2; }
[ -f "$wasm" ] || { echo "no kv410-script.js at $wasm (bash scripts/build-web.sh)" >&2; exit 2; }
cd "$here"

seconds() {
    local start end
    start=$(date +%s%N)
    "$@" "$scenario" >/dev/null || { echo "$scenario has a failing check under $*" >&2; exit 1; }
    end=$(date +%s%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }'
}
faster() { awk -v a="$1" -v b="${2:-$1}" 'BEGIN { print (a < b ? a : b) }'; }

bestNative=""
bestWasm=""
for ((run = 0; run < repeat; ++run)); do
    bestNative=$(faster "$(seconds "$native")" "$bestNative")
    bestWasm=$(faster "$(seconds node "$wasm")" "$bestWasm")
done
rate() { awk -v n="$ticks" -v t="$1" 'BEGIN { printf "%.0f", n / t }'; }
printf '%-34s %9s %12s\n' "runner ($scenario, $ticks ticks)" seconds ticks/s
printf '%-34s %9s %12s\n' "native $(basename "$native")" "$bestNative" "$(rate "$bestNative")"
printf '%-34s %9s %12s\n' "WebAssembly, Node.js $(node --version)" "$bestWasm" "$(rate "$bestWasm")"
ratio=$(awk -v w="$bestWasm" -v n="$bestNative" 'BEGIN { printf "%.2f", n / w }')
verdict=ok
awk -v r="$ratio" 'BEGIN { exit !(r < 0.5) }' && verdict="UNDER TARGET"
echo "WebAssembly / native: $ratio (target >= 0.5) $verdict"
[ "$verdict" = ok ]

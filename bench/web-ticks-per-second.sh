#!/usr/bin/env bash
# Ticks per second of the WebAssembly kv410-script under Node.js next to the native build, over
# the week-long idle scenario (12,096,002 ticks), runner and start-up included. Runs alternate
# between the two so both see the same load; the fastest of each counts (the machine is shared
# and noisy). Rates are given by the wall clock and by the processor time the run used
# (user + system, all threads), which a loaded machine disturbs less.
# Usage: bench/web-ticks-per-second.sh [native kv410-script] [kv410-script.js]
#   defaults: build/default/kv410-script and build/web/kv410-script.js (scripts/build-web.sh)
#   REPEAT=5   runs of each
# Target: the WebAssembly runner at least half as fast as the native one (wall clock).
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

# Prints "wall cpu" in seconds for one run.
measure() {
    local TIMEFORMAT='%R %U %S' times
    times=$( { time "$@" "$scenario" >/dev/null; } 2>&1 ) ||
        { echo "$scenario failed under $*: $times" >&2; exit 1; }
    awk '{ printf "%.3f %.3f", $1, $2 + $3 }' <<<"$times"
}
faster() { awk -v a="$1" -v b="${2:-$1}" 'BEGIN { print (a < b ? a : b) }'; }

nativeWall="" nativeCpu="" wasmWall="" wasmCpu=""
for ((run = 0; run < repeat; ++run)); do
    read -r wall cpu <<<"$(measure "$native")"
    nativeWall=$(faster "$wall" "$nativeWall")
    nativeCpu=$(faster "$cpu" "$nativeCpu")
    read -r wall cpu <<<"$(measure node "$wasm")"
    wasmWall=$(faster "$wall" "$wasmWall")
    wasmCpu=$(faster "$cpu" "$wasmCpu")
done
rate() { awk -v n="$ticks" -v t="$1" 'BEGIN { printf "%.0f", n / t }'; }
ratio() { awk -v w="$1" -v n="$2" 'BEGIN { printf "%.2f", n / w }'; }
printf '%-32s %8s %12s %8s %12s\n' "$scenario, $ticks ticks" "wall s" "ticks/s" "cpu s" "ticks/cpu-s"
printf '%-32s %8s %12s %8s %12s\n' "native kv410-script" "$nativeWall" "$(rate "$nativeWall")" \
    "$nativeCpu" "$(rate "$nativeCpu")"
printf '%-32s %8s %12s %8s %12s\n' "WebAssembly, Node.js $(node --version)" "$wasmWall" \
    "$(rate "$wasmWall")" "$wasmCpu" "$(rate "$wasmCpu")"
wallRatio=$(ratio "$wasmWall" "$nativeWall")
cpuRatio=$(ratio "$wasmCpu" "$nativeCpu")
verdict=ok
awk -v r="$wallRatio" 'BEGIN { exit !(r < 0.5) }' && verdict="UNDER TARGET"
echo "WebAssembly / native: $wallRatio by the wall clock (target >= 0.5) $verdict; $cpuRatio by processor time"
[ "$verdict" = ok ]

#!/usr/bin/env bash
# Ticks per second of kv410-script on the long scenarios beside this script, runner included,
# and the instructions per tick of each case counted by callgrind.
# Usage: bench/ticks-per-second.sh [path/to/kv410-script]   (default: build/default/kv410-script)
#   REPEAT=3     timed runs per case; the fastest one counts (the machine is shared and noisy)
#   CALLGRIND=1  count instructions per tick with valgrind --tool=callgrind; 0 skips it
# Targets: the idle main display >= 4,000,000 ticks/s (a week in under 3 s); the status view, a
# numeric editor and ten alarms with the alarm display >= 2,000,000 ticks/s; a `wait until` that
# never holds costs no more than twice a plain `wait` of the same length.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tool="$(realpath "${1:-$here/../build/default/kv410-script}")"
repeat="${REPEAT:-3}"
callgrind="${CALLGRIND:-1}"
[ -x "$tool" ] || { echo "ticks-per-second: no kv410-script at $tool (build it, or pass its path)" >&2; exit 2; }

# name | scenario | 50 ms ticks it runs | target ticks/s
cases=(
    "idle main display, 7 days|week-idle.kvs|12096002|4000000"
    "wait until, 7 days|week-wait-until.kvs|12096002|4000000"
    "status view, 1 day|day-status.kvs|1728003|2000000"
    "numeric editor, 1 day|day-editor.kvs|1728005|2000000"
    "ten alarms on display, 1 day|day-alarms.kvs|1728202|2000000"
)

# The set-up of each case for callgrind, which counts a short stretch of each.
setup() {
    echo "click power"
    echo "tick 2"
    case "$1" in
    status*) printf 'poke cell 106 3\nclick middle\ntick\n' ;;
    numeric*) printf 'click left\ntick\nturn 1\nclick right\ntick\n' ;;
    ten*)
        for sensor in GT1 GT2 GT3 GT3X GT4 GT5 GT6 GT8 GT9 GT10 GT11; do
            echo "sensor $sensor -500"
        done
        echo "wait 10s"
        ;;
    esac
}

# The measured stretch: minutes of waiting, short enough that the editor stays open.
stretch() {
    case "$1" in
    wait*) echo "wait until lcd 3 contains \"261214 08:00:00\" within ${2}m" ;;
    *) echo "wait ${2}m" ;;
    esac
}

seconds() {
    local start end
    start=$(date +%s%N)
    "$tool" "$here/$1" >/dev/null || { echo "ticks-per-second: $1 has a failing check" >&2; exit 1; }
    end=$(date +%s%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }'
}

instructions() {
    local script="$work/$2.kvs"
    { setup "$1"; stretch "$1" "$2"; } >"$script"
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$tool" "$script" >/dev/null 2>"$work/log" || true
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/log"
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ "$callgrind" != 0 ] && ! command -v valgrind >/dev/null; then
    echo "valgrind is missing: no instruction counts" >&2
    callgrind=0
fi

printf '%-30s %10s %9s %12s %14s %12s\n' case ticks seconds ticks/s target instr/tick
idleSeconds=""
untilSeconds=""
status=0
for entry in "${cases[@]}"; do
    IFS='|' read -r name file ticks target <<<"$entry"
    best=""
    for ((run = 0; run < repeat; ++run)); do
        t=$(seconds "$file")
        best=$(awk -v a="$t" -v b="${best:-$t}" 'BEGIN { print (a < b ? a : b) }')
    done
    perTick="-"
    if [ "$callgrind" != 0 ]; then
        # Two stretches, 4 and 8 minutes: the difference leaves out the start-up.
        short=$(instructions "$name" 4)
        long=$(instructions "$name" 8)
        perTick=$(awk -v a="$short" -v b="$long" 'BEGIN { printf "%.0f", (b - a) / 4800 }')
    fi
    rate=$(awk -v n="$ticks" -v t="$best" 'BEGIN { printf "%.0f", n / t }')
    verdict=ok
    if [ "$rate" -lt "$target" ]; then
        verdict="UNDER TARGET"
        status=1
    fi
    printf '%-30s %10s %9s %12s %14s %12s  %s\n' "$name" "$ticks" "$best" "$rate" ">= $target" "$perTick" "$verdict"
    case "$file" in
    week-idle.kvs) idleSeconds=$best ;;
    week-wait-until.kvs) untilSeconds=$best ;;
    esac
done

ratio=$(awk -v u="$untilSeconds" -v i="$idleSeconds" 'BEGIN { printf "%.2f", u / i }')
verdict=ok
if awk -v r="$ratio" 'BEGIN { exit !(r > 2) }'; then
    verdict="OVER TARGET"
    status=1
fi
echo "wait until / plain wait of the same length: ${ratio}x (target <= 2x) $verdict"
exit "$status"

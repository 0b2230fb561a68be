#!/bin/sh
# Times kv410-script on a scenario that waits 24 hours of virtual time (1,728,000 ticks).
# Usage: bench/scenario-24h.sh [path/to/kv410-script]   (default: build/default/kv410-script)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=${1:-$here/../build/default/kv410-script}
if [ ! -x "$tool" ]; then
    echo "scenario-24h: no kv410-script at $tool (build it, or pass its path)" >&2
    exit 2
fi
start=$(date +%s.%N)
"$tool" "$here/wait-24h.kvs"
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" 'BEGIN {
    t = e - s
    printf "24 h of virtual time in %.3f s (%.0f ticks/s, %.0fx real time)\n", t, 1728000 / t, 86400 / t
}'

#!/usr/bin/env bash
# Runs one scenario with --trace under the native kv410-script and under the WebAssembly one in
# Node.js, from the scenario's folder; their output and exit status must be the same.
# Usage: compare-trace.sh NATIVE_KV410_SCRIPT KV410_SCRIPT_JS SCENARIO.kvs
set -uo pipefail
native="$1"
wasm="$2"
scenario="$3"
. "$(dirname "$0")/web-built.sh" "$wasm"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$(dirname "$scenario")"
name="$(basename "$scenario")"
"$native" --trace "$name" >"$work/native" 2>&1
nativeStatus=$?
node "$wasm" --trace "$name" >"$work/wasm" 2>&1
wasmStatus=$?
if [ "$nativeStatus" != "$wasmStatus" ]; then
    echo "exit status: native $nativeStatus, WebAssembly $wasmStatus" >&2
    exit 1
fi
if ! cmp -s "$work/native" "$work/wasm"; then
    echo "the traces differ:" >&2
    diff "$work/native" "$work/wasm" | head -40 >&2
    exit 1
fi
echo "same trace, $(wc -l <"$work/native") lines, exit status $nativeStatus"

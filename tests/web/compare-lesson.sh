#!/usr/bin/env bash
# Plays one lesson beside its solution under the native kv410-script and under the WebAssembly
# one in Node.js, from the lesson's folder; their output and exit status must be the same, and
# the status 0 (the solution passes).
# Usage: compare-lesson.sh NATIVE_KV410_SCRIPT KV410_SCRIPT_JS LESSON.kvs
set -uo pipefail
native="$1"
wasm="$2"
lesson="$3"
. "$(dirname "$0")/web-built.sh" "$wasm"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$(dirname "$lesson")"
name="$(basename "$lesson" .kvs)"
"$native" --lesson "$name.kvs" --trainee "$name.solution.kvs" >"$work/native" 2>&1
nativeStatus=$?
node "$wasm" --lesson "$name.kvs" --trainee "$name.solution.kvs" >"$work/wasm" 2>&1
wasmStatus=$?
if [ "$nativeStatus" != "$wasmStatus" ]; then
    echo "exit status: native $nativeStatus, WebAssembly $wasmStatus" >&2
    exit 1
fi
if ! cmp -s "$work/native" "$work/wasm"; then
    echo "the reports differ:" >&2
    diff "$work/native" "$work/wasm" | head -40 >&2
    exit 1
fi
tail -n 2 "$work/native"
[ "$nativeStatus" = 0 ]

#!/usr/bin/env bash
# Plays a lesson beside a trainee's script with kv410-script --lesson --trace, from the lesson's
# folder; the exit status must be the one given. Under Node.js (the WebAssembly kv410-script) the
# test is skipped when the web page was not built, and, with KV410_SCRIPT naming the native
# kv410-script, the output must be the native one byte for byte (the same faults at the same
# ticks).
# Usage: run-lesson.sh STATUS LESSON.kvs TRAINEE.kvs KV410_SCRIPT | node KV410_SCRIPT.js
set -uo pipefail
want="$1"
lesson="$2"
trainee="$3"
shift 3
if [ "$1" = node ]; then
    . "$(dirname "$0")/../web/web-built.sh" "$2"
fi
cd "$(dirname "$lesson")" || exit 1
name="$(basename "$lesson")"
output="$("$@" --trace --lesson "$name" --trainee "$trainee")"
got=$?
echo "$output"
if [ "$got" != "$want" ]; then
    echo "exit status $got, expected $want" >&2
    exit 1
fi
if [ "$1" = node ] && [ -n "${KV410_SCRIPT:-}" ]; then
    if ! diff <("$KV410_SCRIPT" --trace --lesson "$name" --trainee "$trainee") \
        <(echo "$output") >&2; then
        echo "the WebAssembly output differs from the native one" >&2
        exit 1
    fi
fi

#!/usr/bin/env bash
# Plays a lesson beside a trainee's script with kv410-script --lesson, from the lesson's folder;
# the exit status must be the one given. Under Node.js (the WebAssembly kv410-script) the test is
# skipped when the web page was not built.
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
"$@" --lesson "$(basename "$lesson")" --trainee "$trainee"
got=$?
if [ "$got" != "$want" ]; then
    echo "exit status $got, expected $want" >&2
    exit 1
fi

#!/usr/bin/env bash
# Runs a program of the emscripten build under Node.js (skipped when it was not built for want
# of emscripten). Usage: run-node.sh PROGRAM.js [ARGUMENT...]
set -uo pipefail
. "$(dirname "$0")/web-built.sh" "$1"
exec node "$@"

#!/usr/bin/env bash
# Builds the simulator and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target kv410
exec ./build/default/panel/window/kv410 "$@"

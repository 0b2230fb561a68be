#!/usr/bin/env bash
# Builds the simulator and starts its window in the current folder, where it keeps Flash.dat.
set -euo pipefail
here="$(pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
cd "$root"
cmake --preset default
cmake --build --preset default --target kv410
cd "$here"
exec "$root/build/default/window/kv410" "$@"

#!/usr/bin/env bash
# Runs the browser tests (*.test.mjs beside this script) on the built site in Debian's Chromium.
# Usage: run-browser-tests.sh SITE_DIR   (KV410_SCRIPT: the native kv410-script)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
site="$(realpath -m "$1")"
. "$here/web-built.sh" "$site/index.html" "$site/kv410.wasm"
if [ ! -d "$here/node_modules/playwright-core" ]; then
    echo "playwright-core is missing: npm ci --prefix tests/web (scripts/test.sh does it)" >&2
    exit 1
fi
[ -x /usr/bin/chromium ] || { echo "chromium is missing: bash scripts/install-deps.sh" >&2; exit 1; }
export KV410_SITE="$site"
cd "$here"
exec node --test --test-concurrency=1 ./*.test.mjs

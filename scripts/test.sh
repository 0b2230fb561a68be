#!/usr/bin/env bash
# Builds everything (the desktop programs and the web page) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
# The web page and kv410-script in WebAssembly, and Playwright for the browser tests.
bash scripts/build-web.sh
npm ci --prefix tests/web --no-audit --no-fund
# The Model Context Protocol's SDK client for the tests of kv410-script --mcp.
npm ci --prefix tests/mcp --no-audit --no-fund
ctest --preset default -j2

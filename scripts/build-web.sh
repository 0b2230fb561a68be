#!/usr/bin/env bash
# Builds the web page into build/web/site/ (and kv410-script for Node.js, build/web/kv410-script.js)
# with Debian's emscripten. Open the site with: python3 -m http.server -d build/web/site
set -euo pipefail
cd "$(dirname "$0")/.."
command -v em++ >/dev/null || bash scripts/install-deps.sh
if [ ! -f build/web/build.ninja ]; then
    cmake --preset web
fi
cmake --build --preset web -j "${KV410_WEB_JOBS:-2}"
echo "site: $(pwd)/build/web/site"

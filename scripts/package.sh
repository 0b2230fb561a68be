#!/usr/bin/env bash
# Builds the Debian package kv410_VERSION_ARCH.deb into build/package/ from the default build
# (reusing what is built there) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target kv410 kv410-script kv410-flash kv410-package-files
rm -f build/package/kv410_*.deb
cpack --config build/default/CPackConfig.cmake -B "$(pwd)/build/package" >/dev/null
rm -rf build/package/_CPack_Packages
deb=$(ls build/package/kv410_*.deb)
echo "$(pwd)/$deb"

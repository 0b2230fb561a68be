#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing. Safe to run again.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev
          qt6-base-dev-tools qt6-svg-dev fonts-liberation2 xvfb xauth xdotool clang-14
          libclang-rt-14-dev dpkg-dev file lintian desktop-file-utils appstream libgif-dev
          libxml2-utils nlohmann-json3-dev python3-fonttools python3-brotli
          emscripten chromium)
# The web page's tests run in Node.js with npm; a machine that has them from elsewhere keeps them.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    packages+=(nodejs npm)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Sourced by the web tests: exits 77 (skipped) when the site was not built because emscripten is
# not installed; fails when emscripten is there but the site was not built, and in CI (CI set),
# where it must be built.
# Usage: . web-built.sh FILE...   (the built files the test needs)
for built in "$@"; do
    if [ ! -e "$built" ]; then
        if [ -z "${CI:-}" ] && ! command -v em++ >/dev/null; then
            echo "skipped: emscripten is not installed, so the web page was not built ($built)"
            exit 77
        fi
        echo "$built is missing: build it with bash scripts/build-web.sh" >&2
        exit 1
    fi
done

#!/usr/bin/env bash
# Runs the file-call program natively in an empty folder and in WebAssembly on the page module's
# files, and compares the two logs. Usage: compare-files.sh NATIVE PROGRAM.js
set -uo pipefail
. "$(dirname "$0")/web-built.sh" "$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/folder"
(cd "$work/folder" && "$1") >"$work/native.log" || exit 1
node "$2" >"$work/web.log" || exit 1
if ! diff -u --label native "$work/native.log" --label web "$work/web.log"; then
    echo "the page module's files answered otherwise than Linux (above)" >&2
    exit 1
fi
echo "the same $(wc -l <"$work/native.log") answers"

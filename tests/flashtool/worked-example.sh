#!/usr/bin/env bash
# The worked example of the README and the manual page, on a Flash.dat the unit writes: a unit
# switched on from factory values that saw the return sensor fail. Prints every command and its
# output; with --check it compares that with worked-example.txt, and the image that `set` writes
# with the one the scenario flash-set.kvs starts from.
# Usage: worked-example.sh KV410_SCRIPT KV410_FLASH [--check]
# (KV410_EXAMPLE_IMAGE=FILE without --check: also copy the image that set writes to FILE)
set -uo pipefail
script="$(realpath "$1")"
# The example names the program as a user types it.
PATH="$(dirname "$(realpath "$2")"):$PATH"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

printf 'click power\ntick 2\nsensor GT1 -500\nwait 70s\n' |
    "$script" --flash Flash.dat - >/dev/null

example() {
    echo "\$ $*"
    "$@"
    echo "(exit status $?)"
}
{
    example kv410-flash check Flash.dat
    example kv410-flash set Flash.dat 1.10=23,5 8.3.6=240 "5.1=(B)" -o Customer.dat
    example kv410-flash show Customer.dat --changed
    example kv410-flash diff Flash.dat Customer.dat
    example kv410-flash alarms Customer.dat
    example kv410-flash set Flash.dat 1.10=35 -o Other.dat
    example kv410-flash show Customer.dat --level kund1 --format csv
} >example.txt 2>&1

if [ "${3:-}" != "--check" ]; then
    cat example.txt
    cp Customer.dat "${KV410_EXAMPLE_IMAGE:-/dev/null}"
    exit 0
fi
failed=0
if ! diff -u "$here/worked-example.txt" example.txt; then
    echo "FAIL: the worked example's output changed (tests/flashtool/worked-example.txt)" >&2
    failed=1
fi
if ! cmp Customer.dat "$here/../scenarios/flash-set.dat"; then
    echo "FAIL: set writes another image than tests/scenarios/flash-set.dat" >&2
    failed=1
fi
# The README quotes the example up to the CSV: every line of its output stands there.
while IFS= read -r line; do
    case "$line" in
    '$ kv410-flash show Customer.dat --level'*) break ;;
    '$ '*) continue ;;
    esac
    if ! grep -qxF "    $line" "$here/../../README.md"; then
        echo "FAIL: README.md does not quote the example's line: $line" >&2
        failed=1
    fi
done <example.txt
if [ -e Other.dat ]; then
    echo "FAIL: a refused set wrote its output" >&2
    failed=1
fi
exit $failed

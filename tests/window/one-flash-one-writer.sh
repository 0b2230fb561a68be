#!/usr/bin/env bash
# One Flash.dat, one writer, with two kv410 processes offscreen: the second window on the same
# file says so on standard error and quits (status 3), or with --read-only runs and never writes
# it; a termination signal ends each in bounded time with the file saved, and one that arrives
# while a message box is open still ends the program, with the failure on standard error.
# Usage: one-flash-one-writer.sh path/to/kv410
set -uo pipefail
kv410="$1"
export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}
# Waits up to $2 tenths of a second for the command $1 to succeed.
within() {
    for _ in $(seq "$2"); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}
# True once process $1 catches SIGTERM (its handlers are installed): bit 15 of SigCgt.
catches_term() {
    local mask
    mask="$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null)"
    [ -n "$mask" ] && (( (16#$mask >> 14) & 1 ))
}
# Sends SIGTERM to $1, once it catches it, and waits for it; its status, or 124 when it did not
# end within 15 s.
terminate() {
    within "catches_term $1" 300 || echo "process $1 does not catch SIGTERM" >&2
    kill -TERM "$1"
    within "! kill -0 $1 2>/dev/null" 150 || { kill -9 "$1"; wait "$1"; return 124; }
    wait "$1"
}

mkdir data
"$kv410" --flash data/Flash.dat 2>first.err &
first=$!
pids+=("$first")
within "[ -e data/Flash.dat.lock ] && [ -e data/Flash.dat ]" 100 || fail "the first window took no lock"
before="$(md5sum < data/Flash.dat)"

# A second window on the same file: told so, not started, the file untouched.
out="$(timeout 30 "$kv410" --flash data/Flash.dat 2>&1)"; status=$?
[ $status -eq 3 ] || fail "second window: status $status ($out)"
[[ "$out" == *"is in use by kv410 (process $first)"*"--read-only"* ]] || fail "second window said: $out"

# Read-only: it runs and is closed by a signal, and it writes nothing.
"$kv410" --flash data/Flash.dat --read-only 2>second.err &
second=$!
pids+=("$second")
sleep 2
kill -0 "$second" 2>/dev/null || fail "the read-only window did not run: $(cat second.err)"
terminate "$second"; status=$?
[ $status -eq 0 ] || fail "read-only window after SIGTERM: status $status: $(cat second.err)"
[ "$(md5sum < data/Flash.dat)" = "$before" ] || fail "the read-only window changed Flash.dat"

# The first window, terminated, saves its file through a temporary file of its own.
terminate "$first"; status=$?
[ $status -eq 0 ] || fail "first window after SIGTERM: status $status: $(cat first.err)"
[ "$(stat -c %s data/Flash.dat)" -eq 2048 ] || fail "Flash.dat not saved whole"
[ -z "$(ls data | grep -v '^Flash.dat$')" ] || fail "left behind: $(ls data)"

# Now that it has ended, a new window takes the file as its own.
"$kv410" --flash data/Flash.dat 2>third.err &
third=$!
pids+=("$third")
within "[ -e data/Flash.dat.lock ]" 100 || fail "no lock after the first window ended"
terminate "$third"; status=$?
[ $status -eq 0 ] || fail "third window: status $status"

# A message box open (Flash.dat cannot be read: it is a folder) when SIGTERM comes: the program
# still ends, saying on standard error what failed.
mkdir folder.dat
"$kv410" --flash folder.dat 2>box.err &
box=$!
pids+=("$box")
sleep 3
kill -0 "$box" 2>/dev/null || fail "the window with the message box ended by itself"
terminate "$box"; status=$?
[ $status -ne 124 ] || fail "a window with a message box open did not end after SIGTERM"
grep -q "File Access Error" box.err || fail "the failure was not reported: $(cat box.err)"
grep -q "could not be saved" box.err || fail "the lost save was not reported: $(cat box.err)"

[ $failed -eq 0 ] && echo "one Flash.dat, one writer: all passed"
exit $failed

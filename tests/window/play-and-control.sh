#!/usr/bin/env bash
# kv410 --play and --control as a user runs them, offscreen: the shipped examples pass, a played
# script sees the clock kv410-script gives it (or --clock), live control answers every line at
# once and prints the totals at the end of the input, and --exit closes with the status.
# Usage: play-and-control.sh path/to/kv410 path/to/kv410-script SOURCE_DIR
set -uo pipefail
kv410="$1"
script="$2"
source_dir="$3"
export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The examples the package installs, as packaging/Package.cmake names them.
examples="$(sed -n 's/^foreach(example \(.*\))$/\1/p' "$source_dir/packaging/Package.cmake")"
[ -n "$examples" ] || fail "no examples found in Package.cmake"
for example in $examples; do
    cp "$source_dir/tests/scenarios/$example.kvs" .
    out="$(timeout 120 "$kv410" --play "$example.kvs" --speed max --exit 2>&1)"; status=$?
    [ $status -eq 0 ] || fail "example $example: status $status: $out"
done
[ ! -e Flash.dat ] || fail "a playback wrote Flash.dat"

# The same transcript as kv410-script, on its default clock and on one given by --clock.
printf 'click power\nwait 3s\nshow\nwait 1m\nshow\nexpect lcd 1 contains "K1"\n' > clock.kvs
for clock in "" "2031-06-01 23:59:30"; do
    args=()
    [ -z "$clock" ] || args=(--clock "$clock")
    want="$("$script" "${args[@]}" clock.kvs)"
    got="$(timeout 60 "$kv410" --play clock.kvs --speed max --exit "${args[@]}" 2>/dev/null)"
    [ "$got" = "$want" ] || fail "--play ${args[*]}: got
$got
instead of
$want"
done
out="$("$kv410" --play clock.kvs --clock "2031-06-01" 2>&1)"; status=$?
[ $status -eq 2 ] || fail "--clock without a time: status $status"

# Live control: each answer comes while the input is still open, and show is one of them.
mkfifo in
exec 3<>in
timeout 60 "$kv410" --control --exit <in >answers 2>control.err 3>&- &
pid=$!
answer() {
    local want="$1" n="$2"
    for _ in $(seq 100); do
        [ "$(wc -l < answers)" -ge "$n" ] && break
        sleep 0.1
    done
    local line
    line="$(sed -n "${n}p" answers)"
    [[ "$line" == $want ]] || fail "answer $n: '$line', expected '$want'"
}
printf 'click power\nwait 2s\nexpect display lit\n' >&3
answer 'ok <stdin>:3' 1
printf 'show\n' >&3
answer '\[*\] |*|' 2
printf 'wiggle\n' >&3
answer "error <stdin>:5: unknown step 'wiggle'" 3
# The last line has no newline; it is still answered, then the totals, then the window closes.
printf 'show' >&3
exec 3>&-
wait $pid; status=$?
answer '\[*\] |*|' 4
answer '1 passed, 0 failed' 5
[ $status -eq 2 ] || fail "--control --exit after a line not understood: status $status"
printf 'click power\ntick 2\nexpect display dark\n' | timeout 60 "$kv410" --control --exit > out
status=$?
[ $status -eq 1 ] || fail "--control --exit after a failed check: status $status"
[ "$(tail -1 out)" = "0 passed, 1 failed" ] || fail "totals: $(cat out)"

[ $failed -eq 0 ] && echo "play and control: all passed"
exit $failed

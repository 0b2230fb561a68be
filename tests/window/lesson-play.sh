#!/usr/bin/env bash
# kv410 --lesson as a trainer runs it, offscreen: a shipped lesson played with its solution
# (kv410 --lesson L --play L.solution.kvs --speed max --exit) comes to the same result as
# kv410-script --lesson L --trainee L.solution.kvs, line for line, with the same exit status; so
# does a trainee who does nothing; a lesson that cannot be read is refused with status 2.
# Usage: lesson-play.sh path/to/kv410 path/to/kv410-script SOURCE_DIR
set -uo pipefail
kv410="$1"
script="$2"
lessons="$3/lessons"
export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The lesson's result: its title line, a line per task and question, the score.
result() {
    grep -E '^(Lesson "|task [0-9]+ |question [0-9]+ |score [0-9]+ of [0-9]+)' || true
}

: > nothing.kvs
# A lesson with a question, one with a fault at a random time, one with long presses.
for name in first-steps drill-pressure-switch access-levels; do
    lesson="$lessons/$name.kvs"
    for trainee in "$lessons/$name.solution.kvs" nothing.kvs; do
        want="$("$script" --lesson "$lesson" --trainee "$trainee" 2>&1)"; want_status=$?
        got="$(timeout 300 "$kv410" --lesson "$lesson" --play "$trainee" --speed max --exit \
            2>&1)"; got_status=$?
        [ "$got_status" -eq "$want_status" ] ||
            fail "$name with $(basename "$trainee"): status $got_status, kv410-script $want_status"
        [ -n "$(result <<< "$want")" ] || fail "$name: kv410-script printed no result: $want"
        [ "$(result <<< "$got")" = "$(result <<< "$want")" ] || fail "$name with \
$(basename "$trainee"): the window printed
$got
and kv410-script
$want"
    done
done
[ ! -e Flash.dat ] || fail "a lesson wrote Flash.dat"

# The solution passes; doing nothing does not.
"$script" --lesson "$lessons/first-steps.kvs" --trainee "$lessons/first-steps.solution.kvs" \
    > /dev/null 2>&1 || fail "first-steps: the solution does not pass"

printf 'lesson "Broken"\nwiggle\n' > broken.kvs
out="$(timeout 60 "$kv410" --lesson broken.kvs 2>&1)"; status=$?
[ $status -eq 2 ] || fail "a lesson not understood: status $status"
[[ "$out" == *"broken.kvs:2"* ]] || fail "a lesson not understood: no line named: $out"
out="$(timeout 60 "$kv410" --lesson missing.kvs 2>&1)"; status=$?
[ $status -eq 2 ] || fail "a missing lesson: status $status"
out="$("$kv410" --lesson broken.kvs --control 2>&1)"; status=$?
[ $status -eq 2 ] || fail "--lesson with --control: status $status"

[ $failed -eq 0 ] && echo "lesson play: all passed"
exit $failed

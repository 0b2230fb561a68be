#!/usr/bin/env bash
# The JUnit report of kv410-script, as GitLab and Jenkins read it: a run with a passing, a failing
# and a malformed script (and a snapshot that does not match, where the tool draws pictures) must
# give a well-formed report whose fields are read back here with xmllint.
# Usage: junit-report.sh path/to/kv410-script [path/to/xmllint]
set -euo pipefail
tool="$(realpath "$1")"
xmllint="${2:-xmllint}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

failures=0
expect() { # expect WHAT ACTUAL EXPECTED
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}
xpath() { "$xmllint" --xpath "$1" report.xml; }

printf 'click power\nwait 3s\nexpect led on lit\nexpect display lit\n' > pass.kvs
printf 'click power\nwait 3s\nprint "<&> \\"ok\\""\nexpect lcd 2 contains "NOWHERE"\n' > fail.kvs
printf 'show\nwiggle knob\n' > bad.kvs

# A snapshot that does not match its approved picture, where the tool can draw.
pictures=no
printf 'snapshot "probe.png"\n' > probe.kvs
if "$tool" probe.kvs > /dev/null 2>&1; then
    pictures=yes
    printf 'click power\nwait 3s\nexpect snapshot "front.png"\n' > snap.kvs
    "$tool" --update-snapshots snap.kvs > /dev/null
    # A second later the clock on the LCD has moved on.
    printf 'click power\nwait 4s\nexpect snapshot "front.png"\n' > snap.kvs
fi
scripts=(pass.kvs fail.kvs bad.kvs)
[ "$pictures" = yes ] && scripts+=(snap.kvs)

status=0
"$tool" --keep-going -j 2 --junit report.xml "${scripts[@]}" > out.txt 2> err.txt || status=$?
expect "exit status" "$status" 2
"$xmllint" --noout report.xml || { echo "FAIL: the report is not well-formed"; exit 1; }

expect "suites" "$(xpath 'count(/testsuites/testsuite)')" "${#scripts[@]}"
expect "suite name" "$(xpath 'string(/testsuites/testsuite[1]/@name)')" pass.kvs
expect "passing tests" "$(xpath 'string(/testsuites/testsuite[1]/@tests)')" 2
expect "passing classname" "$(xpath 'string(//testsuite[1]/testcase[1]/@classname)')" pass
expect "passing name" "$(xpath 'string(//testsuite[1]/testcase[1]/@name)')" \
    "line 3: expect led on lit"
time="$(xpath 'string(//testsuite[1]/testcase[2]/@time)')"
[[ "$time" =~ ^[0-9]+\.[0-9]{3}$ ]] || { echo "FAIL: time '$time'"; failures=$((failures + 1)); }
expect "no failure in a pass" "$(xpath 'count(//testsuite[1]//failure)')" 0

expect "failures" "$(xpath 'string(/testsuites/testsuite[2]/@failures)')" 1
expect "failure name" "$(xpath 'string(//testsuite[2]/testcase[1]/@name)')" \
    'line 4: expect lcd 2 contains "NOWHERE"'
expect "failure message" "$(xpath 'string(//testsuite[2]//failure/@message)')" \
    'expected lcd 2 contains "NOWHERE", got " VARMEPUMPESTYRING  "'
expect "failure shows the LCD" \
    "$(xpath 'contains(//testsuite[2]//failure, "|Varme   Info    Meny|")')" true
expect "system-out" "$(xpath "contains(//testsuite[2]/system-out, '<&> \"ok\"')")" true

expect "errors" "$(xpath 'string(/testsuites/testsuite[3]/@errors)')" 1
expect "error message" "$(xpath 'string(//testsuite[3]//error/@message)')" \
    "bad.kvs:2: unknown step 'wiggle'"
expect "error line" "$(xpath 'string(//testsuite[3]/testcase/@line)')" 2

if [ "$pictures" = yes ]; then
    expect "snapshot failure" \
        "$(xpath "count(//testsuite[4]/testcase[@name='line 3: expect snapshot \"front.png\"']/failure)")" 1
    expect "attachments" \
        "$(xpath 'string(//testsuite[4]/testcase/system-out)')" \
        "$(printf '[[ATTACHMENT|front.actual.png]]\n[[ATTACHMENT|front.diff.png]]\n')"
    [ -f front.diff.png ] || { echo "FAIL: no front.diff.png"; failures=$((failures + 1)); }
fi
expect "totals" "$(xpath 'string(/testsuites/@tests)')" "$(xpath 'count(//testcase)')"

# Without --keep-going nothing runs: the other scripts are reported as not run.
status=0
"$tool" --junit report.xml pass.kvs bad.kvs > out.txt 2> err.txt || status=$?
expect "exit status without --keep-going" "$status" 2
expect "nothing ran" "$(cat out.txt)" ""
"$xmllint" --noout report.xml || { echo "FAIL: the report is not well-formed"; exit 1; }
expect "skipped" "$(xpath 'count(//testsuite[1]/testcase/skipped)')" 1

if [ "$failures" -ne 0 ]; then
    echo "--- report.xml"; cat report.xml
    exit 1
fi
echo "JUnit report: every field read back (pictures: $pictures)"

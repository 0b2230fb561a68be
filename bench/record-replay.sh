#!/usr/bin/env bash
# Records a session in the real window under Xvfb, driven by xdotool (switch on, open a menu,
# change and save a setting, raise an alarm with a slider and acknowledge it), then replays the
# recording with kv410-script and compares the transcripts, and plays it in the window with
# --exit. Usage: bench/record-replay.sh [build folder]   (default build/default)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$here/build/default}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >drive.sh <<'DRIVE'
sleep 2
W=$(xdotool search --name '^KV410$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$W")"
c() { xdotool mousemove $((X + $1)) $((Y + $2)) click "${3:-1}"; sleep "${4:-0.4}"; }
c 248 224 1 2     # the power switch
c 377 437 1 0.6   # right: the main menu
c 480 310 1 0.5   # knob forward
c 480 310 3 0.5   # knob back
c 377 437 1 0.6   # entry 1
c 377 437 1 0.6   # entry 1.1
c 377 437 1 0.6   # "Endre": the editor
c 480 310 1 0.4   # one step up
c 377 437 1 2.5   # "Lagre"
c 228 437 1 0.6   # back
c 228 437 1 0.6
c 228 437 1 0.6
xdotool key F2; sleep 0.8
# GT1's slider to its lowest end: the sensor alarm.
xdotool mousemove $((X + 673)) $((Y + 205)) mousedown 1; sleep 0.2
xdotool mousemove $((X + 660)) $((Y + 205)); sleep 0.2
xdotool mousemove $((X + 600)) $((Y + 205)); sleep 0.2; xdotool mouseup 1
sleep 75
c 377 437 1 1     # "Kvittere"
xdotool mousemove $((X + 630)) $((Y + 205)) mousedown 1; sleep 0.2
xdotool mousemove $((X + 673)) $((Y + 205)); sleep 0.2; xdotool mouseup 1; sleep 0.5
kill -TERM "$PID"
DRIVE

xvfb-run -a -s "-screen 0 1280x800x24" bash -c \
    "'$build/window/kv410' --record session.kvs --record-checks --trace >window.trace 2>window.err &
     PID=\$!; export PID; bash drive.sh; wait \$PID"
"$build/kv410-script" --trace session.kvs >replay.trace || true
echo "recorded: $(grep -c . session.kvs) lines, $(grep -c '^expect' session.kvs) checks"
echo "replayed: $(tail -n 1 replay.trace)"
if diff <(head -n -1 replay.trace) window.trace >/dev/null; then
    echo "transcripts: identical ($(grep -c . window.trace) LCD changes)"
else
    echo "transcripts: DIFFERENT"
    diff <(head -n -1 replay.trace) window.trace | head -20
    exit 1
fi
status=0
xvfb-run -a "$build/window/kv410" --play session.kvs --speed 10 --exit >play.out 2>&1 || status=$?
echo "kv410 --play --exit: status $status, $(tail -n 1 play.out)"
[ "$status" -eq 0 ]

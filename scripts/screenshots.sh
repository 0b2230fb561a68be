#!/usr/bin/env bash
# Takes the README's screenshots of the window under Xvfb: first start, switched on, side panels,
# the English gloss, and a lesson beside the front.
# Usage: scripts/screenshots.sh [path/to/kv410]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="$(realpath "${1:-$root/build/default/window/kv410}")"
out="$root/docs"
[ -x "$binary" ] || { echo "no kv410 at $binary (build target kv410 first)" >&2; exit 1; }
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
command -v import >/dev/null || { echo "import is missing (apt-get install imagemagick)" >&2; exit 1; }

work="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

cd "$work"
QT_QPA_PLATFORM=xcb "$binary" >/dev/null 2>&1 &
app_pid=$!
window="$(xdotool search --sync --onlyvisible --name '^KV410$' | head -n 1)"
sleep 1.5

shot() { import -window "$window" "$out/$1"; echo "wrote docs/$1"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

shot screenshot-start.png
# The power switch, then one step of the knob and the right button.
click 248 224
sleep 2.5
shot screenshot-on.png
xdotool key --window "$window" F2
sleep 0.8
window="$(xdotool search --onlyvisible --name '^KV410$' | head -n 1)"
shot screenshot-panels.png
# The English gloss under the display, with the main menu open.
click 376 437
sleep 0.5
click 704 542
sleep 0.8
window="$(xdotool search --onlyvisible --name '^KV410$' | head -n 1)"
shot screenshot-english.png
click 704 542
kill -TERM "$app_pid"
wait "$app_pid" || true
app_pid=""
[ -f "$work/Flash.dat" ] && echo "Flash.dat saved on SIGTERM ($(stat -c %s "$work/Flash.dat") bytes)"

# A lesson: the first task done by a short playback, the second under way with a hint taken.
printf 'wait 1s\nclick power\nwait 3s\nhint\n' > lesson-start.kvs
QT_QPA_PLATFORM=xcb "$binary" --lesson "$root/lessons/first-steps.kvs" --play lesson-start.kvs \
    >/dev/null 2>&1 &
app_pid=$!
window="$(xdotool search --sync --onlyvisible --name '^KV410 - lesson$' | head -n 1)"
sleep 6
shot screenshot-lesson.png
kill -TERM "$app_pid"
wait "$app_pid" || true
app_pid=""

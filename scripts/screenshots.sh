#!/usr/bin/env bash
# Takes the README's screenshots of the window under Xvfb: first start, switched on, side panels,
# the English gloss and a lesson beside the front; then the window on a 1024 x 600 screen with
# the side panels open (it scales down to fit) and at 200 % (QT_SCALE_FACTOR=2, as on a high-DPI
# screen).
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

# A screen of another size, a fresh folder and no kept zoom; the window with the unit on and the
# side panels open. Arguments: screen size, picture name, what import shoots (window or root),
# and the scale factor.
scaled_shot() {
    local size="$1" name="$2" what="$3" factor="$4"
    local folder
    folder="$(mktemp -d -p "$work")"
    display=":$((90 + RANDOM % 100))"
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY="$display"
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
    (cd "$folder" && XDG_CONFIG_HOME="$folder/config" QT_SCALE_FACTOR="$factor" \
        QT_QPA_PLATFORM=xcb exec "$binary" >/dev/null 2>&1) &
    app_pid=$!
    window="$(xdotool search --sync --onlyvisible --name '^KV410$' | head -n 1)"
    sleep 1.5
    # The power switch, where the window draws it now.
    local width scale
    width="$(xwininfo -id "$window" | awk '/Width:/ {print $2}')"
    scale="$(echo "$width / 800" | bc -l)"
    click "$(printf '%.0f' "$(echo "248 * $scale" | bc -l)")" \
        "$(printf '%.0f' "$(echo "224 * $scale" | bc -l)")"
    sleep 2.5
    xdotool key --window "$window" F2
    sleep 1
    if [ "$what" = root ]; then
        import -window root "$out/$name"
    else
        import -window "$window" "$out/$name"
    fi
    echo "wrote docs/$name (window $(xwininfo -id "$window" | awk '/Width:|Height:/ {printf "%s ", $2}'))"
    kill -TERM "$app_pid"
    wait "$app_pid" || true
    app_pid=""
    kill "$xvfb_pid"
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
}
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
scaled_shot 1024x600 screenshot-1024x600.png root 1
scaled_shot 2048x1400 screenshot-200.png window 2

#!/usr/bin/env bash
# Measures the window under Xvfb, started in an empty folder (the unit is off):
# time to the first painted frame, peak resident memory, and CPU use while idle.
# Usage: bench/window-measure.sh [path/to/kv410]   (IDLE_SECONDS=60 by default)
# Targets: first frame <= 150 ms, peak RSS <= 50 MB, idle CPU <= 0.5 % of one core.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="$(realpath "${1:-$root/build/default/window/kv410}")"
idle="${IDLE_SECONDS:-60}"
[ -x "$binary" ] || { echo "no kv410 at $binary (build target kv410 first)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing (scripts/install-deps.sh)" >&2; exit 1; }

work="$(mktemp -d)"
display=":$((190 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

DISPLAY="$display" python3 - "$binary" "$work" "$idle" <<'PY'
import ctypes, os, signal, subprocess, sys, time

binary, folder, idle = sys.argv[1], sys.argv[2], float(sys.argv[3])
x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]

display = None
for _ in range(100):
    display = x11.XOpenDisplay(None)
    if display:
        break
    time.sleep(0.05)
if not display:
    sys.exit("Xvfb did not start")
rootWindow = x11.XDefaultRootWindow(display)

def pixel(x, y):
    image = x11.XGetImage(display, rootWindow, x, y, 1, 1, 0xFFFFFFFF, 2)
    value = x11.XGetPixel(image, 0, 0)
    return (value >> 16) & 255, (value >> 8) & 255, value & 255

# The window is centred on the 1280 x 800 screen: the screen's centre lies on the LCD.
def lcdPainted():
    r, g, b = pixel(640, 400)
    return g > r + 40 and g > b + 20

def cpuMs():
    fields = open(f"/proc/{app.pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")

env = dict(os.environ, QT_QPA_PLATFORM="xcb")
start = time.monotonic()
app = subprocess.Popen([binary], cwd=folder, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
firstFrame = None
while time.monotonic() - start < 10:
    if lcdPainted():
        firstFrame = (time.monotonic() - start) * 1000
        firstFrameCpu = cpuMs()
        break
    time.sleep(0.002)

def cpuTicks():
    fields = open(f"/proc/{app.pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])

def status(key):
    for line in open(f"/proc/{app.pid}/status"):
        if line.startswith(key + ":"):
            return int(line.split()[1]) / 1024
    return 0.0

time.sleep(max(0.0, 2.0 - (time.monotonic() - start)))
r, g, b = pixel(640, 400)
lcdDark = g < 150
ticks0, t0 = cpuTicks(), time.monotonic()
time.sleep(idle)
ticks1, t1 = cpuTicks(), time.monotonic()
cpu = (ticks1 - ticks0) / os.sysconf("SC_CLK_TCK") / (t1 - t0) * 100
peak = status("VmHWM")
app.send_signal(signal.SIGTERM)
app.wait(timeout=10)
saved = os.path.exists(os.path.join(folder, "Flash.dat"))

def verdict(ok):
    return "ok" if ok else "OVER TARGET"

print(f"unit off (LCD dark)   : {'yes' if lcdDark else 'no'}")
if firstFrame is None:
    print("first painted frame   : not seen within 10 s")
else:
    print(f"first painted frame   : {firstFrame:.0f} ms   (target <= 150 ms) {verdict(firstFrame <= 150)}"
          f"  [process CPU until then {firstFrameCpu:.0f} ms; load {os.getloadavg()[0]:.1f}]")
print(f"peak RSS              : {peak:.1f} MB  (target <= 50 MB) {verdict(peak <= 50)}")
print(f"CPU over {idle:.0f} s idle   : {cpu:.2f} % of one core (target <= 0.5 %) {verdict(cpu <= 0.5)}")
print(f"Flash.dat on SIGTERM  : {'saved' if saved else 'MISSING'}")
PY

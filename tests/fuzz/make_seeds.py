#!/usr/bin/env python3
"""Writes the seed corpus of the panel fuzzer (tests/fuzz/corpus/).

Usage: make_seeds.py KV410_SCRIPT
KV410_SCRIPT is a built kv410-script; it produces the fresh image that the seeds start from.
The input layout is described at the top of PanelActionsFuzzer.cpp.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

# Opcodes and key numbers of PanelActionsFuzzer.cpp.
KNOB, TURN, CLICK, HOLD, KEY, _, KEYDOWN, KEYUP, SENSOR, TOGGLE, POWER, WAIT, _, RESTART, \
    SLIDER, CLOCK = range(16)
UP, DOWN, LEFT, RIGHT, S_UP, S_DOWN, S_LEFT, S_RIGHT, ESC, ENTER, PLUS, MINUS, STAR, SLASH, \
    ONE, OTHER = range(16)
# Unit bytes of a wait.
TICKS, SECONDS, MINUTES, HOURS = 0, 128, 192, 255


def key(k, times=1):
    return bytes([KEY, k, times - 1])


def turn(clicks, back=False):
    return bytes([TURN, ((clicks - 1) << 2) | (1 if back else 0)])


def wait(unit, count):
    return bytes([WAIT, unit, count - 1])


def sensor(slider, value):
    return bytes([SENSOR, slider - 1]) + struct.pack("<h", value)


def hold(button, seconds):
    return bytes([HOLD, button, seconds * 20 - 1])


def toggle(n):
    return bytes([TOGGLE, n - 1])


def seed(image, actions):
    return struct.pack("<H", len(image)) + image + actions


def fresh_image(tool):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "Flash.dat")
        subprocess.run([tool, "--flash", path, "-"], input=b"click power\nwait 5s\n",
                       check=True, stdout=subprocess.DEVNULL)
        with open(path, "rb") as f:
            return f.read()


def words(image):
    return list(struct.unpack("<%dH" % (len(image) // 2), image))


def pack(ws):
    return struct.pack("<%dH" % len(ws), *ws)


# Walks the menus without a long press: main menu, lists, editors, back, idle.
BROWSE = (bytes([POWER]) + wait(SECONDS, 5) + key(RIGHT) + turn(3) + key(RIGHT) + turn(2) +
          key(RIGHT) + turn(4) + key(ENTER) + wait(TICKS, 4) + key(ESC, 3) + turn(5, back=True) +
          key(S_LEFT) + wait(TICKS, 2) + key(S_UP, 4) + bytes([KNOB, 0]) + wait(SECONDS, 2) +
          sensor(1, 350) + sensor(2, -250) + sensor(3, 600) + wait(MINUTES, 11) +
          key(RIGHT) + bytes([RESTART]) + wait(SECONDS, 10))

# Raises alarms from the inputs, acknowledges them and opens their help.
ALARMS = (bytes([POWER]) + wait(SECONDS, 5) + toggle(1) + toggle(4) + toggle(8) +
          wait(SECONDS, 40) + key(ENTER) + wait(TICKS, 2) + key(S_LEFT) + wait(TICKS, 2) +
          turn(3) + key(ESC) + toggle(1) + toggle(4) + wait(SECONDS, 40) + key(ENTER) +
          sensor(7, -300) + wait(MINUTES, 3) + toggle(10) + toggle(11) + wait(SECONDS, 30) +
          bytes([RESTART]) + wait(SECONDS, 10))

# Long presses: the installer levels and their menus.
SERVICE = (bytes([POWER]) + wait(SECONDS, 5) + hold(0, 4) + wait(SECONDS, 3) + key(RIGHT) +
           turn(6) + key(RIGHT) + turn(2) + key(RIGHT) + turn(1) + key(RIGHT) + wait(TICKS, 3) +
           hold(1, 6) + wait(SECONDS, 3) + key(RIGHT) + turn(10) + key(RIGHT) + turn(3) +
           key(RIGHT) + key(ENTER) + wait(SECONDS, 2) + key(ESC, 4) + hold(2, 6) +
           wait(HOURS, 2) + bytes([CLOCK, 0xe6, 0x07, 11, 0x9e]) + wait(SECONDS, 20))


def main():
    image = fresh_image(sys.argv[1])
    os.makedirs(CORPUS, exist_ok=True)

    every_alarm = words(image)
    for n in range(32):
        every_alarm[223 + n] = 1          # active, not acknowledged
        every_alarm[447 + n] = n % 4      # class
        every_alarm[255 + n] = 0x26
    every_alarm = pack(every_alarm)

    log_full = words(image)
    log_full[513] = 118 * 13
    for w in range(514, 1024):
        k = (w - 514) % 13
        log_full[w] = ord("0") + ((w - 514) // 13) % 22 if k == 0 else ord("0") + k % 10
    log_full = pack(log_full)

    seeds = {
        "fresh-browse": seed(image, BROWSE),
        "fresh-alarms": seed(image, ALARMS),
        "fresh-service": seed(image, SERVICE),
        "every-alarm-active": seed(every_alarm, ALARMS + BROWSE),
        "log-at-bound": seed(log_full, ALARMS + SERVICE),
        "short-file": seed(image[:5], BROWSE),
        "empty-file": seed(b"", ALARMS),
    }
    for name, data in seeds.items():
        with open(os.path.join(CORPUS, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()

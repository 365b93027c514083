#!/usr/bin/env python3
"""Makes the demo play list's media: two short tones (WAV), a short tune (MIDI), an island
(JPEG, through cjpeg from libjpeg-turbo-progs) and a sunset (BMP), and the play list itself.

Run it from anywhere; it writes beside itself. The files it makes are committed, so running it
again is only needed to change them.
"""
import math
import os
import struct
import subprocess
import sys
import wave

HERE = os.path.dirname(os.path.abspath(__file__))


def path(name):
    return os.path.join(HERE, name)


# ---- tones -------------------------------------------------------------------------------
def write_tone(name, freqs, seconds=1.2, rate=22050):
    """A soft bell-like tone: a few partials under an exponential decay, with a short attack."""
    frames = bytearray()
    n = int(seconds * rate)
    for i in range(n):
        t = i / rate
        env = min(1.0, t / 0.01) * math.exp(-3.0 * t)
        s = 0.0
        for k, f in enumerate(freqs):
            s += math.sin(2 * math.pi * f * t) / (k + 1)
            s += 0.3 * math.sin(2 * math.pi * 2 * f * t) * math.exp(-6 * t) / (k + 1)
        v = int(max(-1.0, min(1.0, 0.45 * env * s)) * 32767)
        frames += struct.pack("<h", v)
    with wave.open(path(name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


# ---- MIDI --------------------------------------------------------------------------------
def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def write_midi(name):
    """A format-0 file: a vibraphone plays a short rising and falling tune over a bass."""
    ticks = 96  # per quarter note
    events = []  # (time, bytes)
    events.append((0, b"\xff\x51\x03" + (500000).to_bytes(3, "big")))  # 120 beats a minute
    events.append((0, bytes([0xC0, 11])))  # channel 1: vibraphone
    events.append((0, bytes([0xC1, 32])))  # channel 2: acoustic bass
    melody = [60, 64, 67, 72, 71, 67, 64, 65, 69, 72, 76, 74, 71, 67, 72]
    lengths = [1, 1, 1, 2, 1, 1, 2, 1, 1, 1, 2, 1, 1, 1, 4]
    t = 0
    for note, length in zip(melody, lengths):
        dur = length * ticks // 2
        events.append((t, bytes([0x90, note, 96])))
        events.append((t + dur - 4, bytes([0x80, note, 0])))
        t += dur
    for i, root in enumerate([48, 53, 55, 48]):
        start = i * 2 * ticks
        length = 2 * ticks if i < 3 else t - start
        events.append((start, bytes([0x91, root, 80])))
        events.append((start + length - 4, bytes([0x81, root, 0])))
    events.sort(key=lambda e: (e[0], e[1][0] & 0xF0 != 0x80))
    track = bytearray()
    last = 0
    for when, data in events:
        track += varlen(when - last) + data
        last = when
    track += varlen(ticks) + b"\xff\x2f\x00"
    with open(path(name), "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, ticks))
        f.write(b"MTrk" + struct.pack(">I", len(track)) + track)


# ---- pictures ----------------------------------------------------------------------------
def mix(a, b, f):
    return tuple(int(a[i] + (b[i] - a[i]) * f) for i in range(3))


def island_pixel(x, y, w, h):
    horizon = h * 0.62
    if y < horizon:
        colour = mix((70, 130, 200), (190, 225, 245), y / horizon)
        sx, sy = w * 0.78, h * 0.22
        d = math.hypot(x - sx, y - sy)
        if d < h * 0.08:
            colour = (255, 236, 150)
        elif d < h * 0.16:
            colour = mix((255, 236, 150), colour, (d - h * 0.08) / (h * 0.08))
        # The island: a low hill rising from the sea, a palm-green crown on top.
        hill = horizon - (h * 0.22) * max(0.0, 1 - ((x - w * 0.40) / (w * 0.28)) ** 2)
        if y > hill:
            colour = mix((70, 140, 60), (40, 95, 45), (y - hill) / max(1.0, horizon - hill))
    else:
        f = (y - horizon) / (h - horizon)
        colour = mix((40, 110, 170), (15, 50, 95), f)
        if int(y) % 7 == 0 and (int(x / 11) + int(y)) % 3 == 0:
            colour = mix(colour, (230, 240, 250), 0.35)
        # The island's sandy shore.
        if abs(y - horizon) < h * 0.025 and abs(x - w * 0.40) < w * 0.30:
            colour = (230, 210, 150)
    return colour


def sunset_pixel(x, y, w, h):
    horizon = h * 0.66
    cx, cy = w * 0.5, horizon
    if y < horizon:
        colour = mix((60, 30, 90), (250, 140, 60), (y / horizon) ** 1.5)
        d = math.hypot(x - cx, y - cy)
        if d < h * 0.18:
            colour = mix((255, 230, 120), (250, 110, 50), d / (h * 0.18))
    else:
        f = (y - horizon) / (h - horizon)
        colour = mix((200, 90, 60), (30, 20, 50), f)
        if abs(x - cx) < h * 0.18 * (1 - f) and int(y) % 4 < 2:
            colour = mix(colour, (255, 200, 110), 0.6)
    return colour


def render(pixel, w, h):
    return [[pixel(x, y, w, h) for x in range(w)] for y in range(h)]


def write_jpeg(name, rows):
    h, w = len(rows), len(rows[0])
    ppm = b"P6\n%d %d\n255\n" % (w, h) + bytes(c for row in rows for p in row for c in p)
    try:
        jpeg = subprocess.run(["cjpeg", "-quality", "85", "-optimize"], input=ppm,
                              stdout=subprocess.PIPE, check=True).stdout
    except FileNotFoundError:
        sys.exit("make-demo: cjpeg is missing (Debian package libjpeg-turbo-progs)")
    with open(path(name), "wb") as f:
        f.write(jpeg)


def write_bmp(name, rows):
    """A 24-bit bottom-up Windows bitmap."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path(name), "wb") as f:
        f.write(header + info + pixels)


PLAY_LIST = [
    "chime-low.wav",
    "island.jpg",
    "tune.mid",
    "Pause: 2",
    "sunset.bmp",
    "chime-high.wav",
    "Quit",
]


def main():
    write_tone("chime-low.wav", [392.0, 493.9, 587.3])
    write_tone("chime-high.wav", [523.3, 659.3, 784.0], seconds=1.5)
    write_midi("tune.mid")
    write_jpeg("island.jpg", render(island_pixel, 320, 240))
    write_bmp("sunset.bmp", render(sunset_pixel, 200, 150))
    # Play-list files end every line with CR LF; the names are relative to this folder.
    with open(path("demo.osp"), "wb") as f:
        f.write(b"".join(line.encode() + b"\r\n" for line in PLAY_LIST))


if __name__ == "__main__":
    main()

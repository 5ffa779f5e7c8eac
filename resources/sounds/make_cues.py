#!/usr/bin/env python3
"""Synthesises Fraymark's two alert cues as 16-bit mono PCM WAV files.

your-move.wav  two rising square-ish blips with a bright tail: "your turn"
ko.wav         a low thud under a falling three-note bell: "knocked out"

Deterministic: running it again writes the same bytes.
"""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050


def tone(freq, dur, amp=0.5, harmonics=(1.0,), attack=0.004, release=0.08, glide=0.0):
    n = int(dur * RATE)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = freq * (1.0 + glide * t / dur)
        phase += 2 * math.pi * f / RATE
        s = sum(h * math.sin(phase * (k + 1)) for k, h in enumerate(harmonics))
        env = min(1.0, t / attack) * min(1.0, (dur - t) / release)
        out.append(amp * env * s / sum(harmonics))
    return out


def silence(dur):
    return [0.0] * int(dur * RATE)


def mix(*tracks):
    n = max(len(t) for t in tracks)
    return [sum(t[i] for t in tracks if i < len(t)) for i in range(n)]


def write(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = 0.89 / peak
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(round(s * scale * 32767))) for s in samples))


def your_move():
    bright = (1.0, 0.0, 0.33, 0.0, 0.2)
    a = tone(784, 0.09, harmonics=bright, release=0.03)
    b = tone(1175, 0.22, harmonics=bright, release=0.15, glide=0.04)
    return a + silence(0.045) + b + silence(0.05)


def ko():
    thud = tone(70, 0.35, amp=0.9, harmonics=(1.0, 0.5), attack=0.002, release=0.3, glide=-0.5)
    bell = (1.0, 0.0, 0.0, 0.4, 0.0, 0.25)
    notes = []
    for k, f in enumerate((988, 740, 494)):
        notes += silence(0.04 if k else 0.03) + tone(f, 0.17 if k < 2 else 0.3, amp=0.35, harmonics=bell, release=0.12)
    return mix(thud, notes) + silence(0.04)


def main(out_dir):
    out = Path(out_dir)
    write(out / "your-move.wav", your_move())
    write(out / "ko.wav", ko())


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)

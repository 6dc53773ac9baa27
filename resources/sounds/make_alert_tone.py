#!/usr/bin/env python3
"""Writes alert.wav, the station's default alarm tone: two short beeps
(880 Hz, then 660 Hz) with soft edges, 16-bit mono PCM at 22050 Hz. Played
when an alarm level has no sound file of its own or its file cannot be read.
Looped, it repeats about every 0.8 s.

    python3 make_alert_tone.py [OUT]   (default: alert.wav next to this script)
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
AMPLITUDE = 0.45  # of full scale


def beep(freq, seconds, fade=0.01):
    n = int(RATE * seconds)
    f = int(RATE * fade)
    out = []
    for i in range(n):
        edge = min(1.0, i / f, (n - 1 - i) / f)
        out.append(AMPLITUDE * edge * math.sin(2 * math.pi * freq * i / RATE))
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "alert.wav")
    samples = beep(880, 0.25) + silence(0.08) + beep(660, 0.25) + silence(0.22)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples))


if __name__ == "__main__":
    main()

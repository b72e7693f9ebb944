#!/usr/bin/env python3
"""Writes the scan page's two sounds, small 16-bit mono WAV files of our own:
detected.wav (two falling alert tones) and finished.wav (a rising three-note
chime). Run it again only to change them; the files are committed."""
import math
import struct
import sys
import wave
from pathlib import Path

RATE = 11025


def tone(freq, seconds, volume=0.45):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        # soft attack and an exponential decay, so the notes do not click
        envelope = min(1.0, i / (RATE * 0.008)) * math.exp(-3.2 * t / seconds)
        value = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        out.append(volume * envelope * value / 1.25)
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def write(path, samples):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767)) for s in samples))


def main(folder):
    folder = Path(folder)
    write(folder / "detected.wav", tone(988, 0.14) + silence(0.03) + tone(740, 0.22))
    write(folder / "finished.wav", tone(523, 0.12) + tone(659, 0.12) + tone(784, 0.32))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)

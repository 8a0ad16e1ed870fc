#!/usr/bin/env python3
"""Checks a video's sound against the music it was made from.

  audio_check.py offset MUSIC.wav VIDEO.wav
      the sound starts at sample 0 of the music: the best-matching lag of
      the two within +-200 samples is under 1 ms
  audio_check.py fade MUSIC.wav VIDEO.wav START FADE_START FADE_SECONDS
      the video's sound, which begins at demo time START, is the music
      scaled by the picture's fade, 1 - (t - FADE_START) / FADE_SECONDS

Both files: mono 16-bit little-endian PCM WAV at 44.1 kHz.
"""
import math
import sys
import wave
from array import array

RATE = 44100


def samples(path):
    with wave.open(path, "rb") as w:
        assert w.getframerate() == RATE and w.getnchannels() == 1 and w.getsampwidth() == 2
        data = array("h")
        data.frombytes(w.readframes(w.getnframes()))
        return data


def rms(data, start, count):
    part = data[start:start + count]
    return math.sqrt(sum(v * v for v in part) / max(1, len(part)))


def offset(music, video):
    # A loud stretch well inside both files.
    start, count, reach = int(1.5 * RATE), 8000, 200
    ref = music[start:start + count]
    best, best_lag = -2.0, None
    for lag in range(-reach, reach + 1):
        part = video[start + lag:start + lag + count]
        num = sum(a * b for a, b in zip(ref, part))
        den = math.sqrt(sum(a * a for a in ref) * sum(b * b for b in part)) or 1.0
        if num / den > best:
            best, best_lag = num / den, lag
    ms = 1000.0 * abs(best_lag) / RATE
    print(f"best lag {best_lag} samples ({ms:.3f} ms), correlation {best:.4f}")
    return ms < 1.0 and best > 0.9


def fade(music, video, start, fade_start, fade_seconds):
    ok = True
    window = int(0.1 * RATE)
    for level in (0.2, 0.5, 0.8):
        t = fade_start + level * fade_seconds
        at_music = int(t * RATE) - window // 2
        at_video = int((t - start) * RATE) - window // 2
        ratio = rms(video, at_video, window) / max(1.0, rms(music, at_music, window))
        print(f"fade level {level}: gain {ratio:.3f}, picture {1 - level:.3f}")
        ok = ok and abs(ratio - (1 - level)) < 0.06
    return ok


def main():
    mode, music, video = sys.argv[1], samples(sys.argv[2]), samples(sys.argv[3])
    if mode == "offset":
        ok = offset(music, video)
    else:
        ok = fade(music, video, *map(float, sys.argv[4:7]))
    sys.exit(0 if ok else 1)


main()

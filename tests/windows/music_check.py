#!/usr/bin/env python3
"""Listens to what a sink recorded (raw s16le stereo at 44.1 kHz) against the
decoded music file, through numbers.

  music_check.py where MUSIC REC AT EXPECT [SINCE]
      which second of the music the recording holds just before sample AT:
      correlates the second of recording before AT with the music within
      3 s of EXPECT (seconds); prints "position SECONDS match R lost G"
      where R is the normalised correlation (1: the very same sound) and G
      the seconds of sound the sink lost before AT since the music began
      (runs of digital silence of 5 ms or more: PulseAudio underruns)
      or, given SINCE (a sample), since then
  music_check.py level REC FROM TO
      RMS level in dBFS of the recording between seconds FROM and TO
"""
import functools
import sys

import numpy as np

RATE = 44100


def mono(path):
    samples = np.fromfile(path, dtype="<i2").astype(np.float64) / 32768.0
    samples = samples[: len(samples) // 2 * 2].reshape(-1, 2)
    return samples.mean(axis=1)


@functools.lru_cache(maxsize=1)
def music_file(path):
    """The decoded music, read once for a caller that listens many times."""
    return mono(path)


def where(music_path, rec_path, at, expect, since=0):
    """(position, match, lost) as the command prints them."""
    music, rec = music_file(music_path), mono(rec_path)
    at = min(int(at), len(rec))
    piece = rec[max(0, at - RATE) : at]
    if len(piece) < RATE // 2 or np.sqrt(np.mean(piece**2)) < 1e-4:
        return float("nan"), 0.0, 0.0
    first = max(0, int((expect - 3.0) * RATE) - len(piece))
    last = min(len(music), int((expect + 3.0) * RATE))
    span = music[first:last]
    if len(span) <= len(piece):
        return float("nan"), 0.0, 0.0
    # Correlation at every lag through the FFT, normalised by the energy of
    # the music under the window at that lag.
    n = 1 << int(np.ceil(np.log2(len(span) + len(piece))))
    corr = np.fft.irfft(np.fft.rfft(span, n) * np.conj(np.fft.rfft(piece, n)), n)
    lags = len(span) - len(piece) + 1
    corr = corr[:lags]
    sums = np.concatenate([[0.0], np.cumsum(span**2)])
    energy = sums[len(piece) : len(piece) + lags] - sums[:lags]
    score = corr / np.sqrt(np.maximum(energy, 1e-12) * np.sum(piece**2))
    best = int(np.argmax(score))
    # The window ends at sample AT: the music position heard there.
    position = (first + best + len(piece)) / RATE
    return position, float(score[best]), lost(rec[int(since) : at])


def lost(rec):
    sounding = np.flatnonzero(rec != 0.0)
    if len(sounding) == 0:
        return 0.0
    silent = np.concatenate([[False], rec[sounding[0] :] == 0.0, [False]]).astype(np.int8)
    edges = np.diff(silent)
    runs = np.flatnonzero(edges == -1) - np.flatnonzero(edges == 1)
    return float(np.sum(runs[runs >= RATE // 200])) / RATE


def level(rec_path, start, end):
    rec = mono(rec_path)[int(start * RATE) : int(end * RATE)]
    rms = np.sqrt(np.mean(rec**2)) if len(rec) else 0.0
    return 20 * np.log10(max(rms, 1e-10))


if __name__ == "__main__":
    if sys.argv[1] == "where":
        since = float(sys.argv[6]) if len(sys.argv) > 6 else 0
        position, match, gone = where(sys.argv[2], sys.argv[3], float(sys.argv[4]),
                                      float(sys.argv[5]), since)
        print(f"position {position:.4f} match {match:.3f} lost {gone:.3f}")
    else:
        print(f"{level(sys.argv[2], float(sys.argv[3]), float(sys.argv[4])):.1f}")

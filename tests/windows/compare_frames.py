#!/usr/bin/env python3
"""Compares two renderings of the same frame (PNG files of equal size).

  compare_frames.py A.png B.png
Prints "psnr DB worst-block LEVELS identical FRACTION" (PSNR over RGB; the
largest difference of a 16 by 16 block's mean, in 8-bit levels; the share
of pixels that are the very same) and exits 1 when PSNR is below 45 dB or a
block mean is off by more than 4 levels.
"""
import subprocess
import sys

import numpy as np


def pixels(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                          text=True, check=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return np.frombuffer(raw, dtype=np.uint8).reshape(height, width, 3).astype(np.float64)


def compare(a, b):
    """The printed line for two pictures of equal size, and whether they match."""
    mse = np.mean((a - b) ** 2)
    psnr = float("inf") if mse == 0 else 10 * np.log10(255.0**2 / mse)
    h, w = a.shape[0] // 16 * 16, a.shape[1] // 16 * 16
    blocks = lambda p: p[:h, :w].reshape(h // 16, 16, w // 16, 16, 3).mean(axis=(1, 3))
    worst = float(np.max(np.abs(blocks(a) - blocks(b))))
    identical = float(np.mean(np.all(a == b, axis=2)))
    line = f"psnr {psnr:.2f} worst-block {worst:.2f} identical {identical:.4f}"
    return line, psnr >= 45.0 and worst <= 4.0


def main():
    a, b = pixels(sys.argv[1]), pixels(sys.argv[2])
    if a.shape != b.shape:
        print(f"sizes differ: {a.shape} {b.shape}")
        return 1
    line, same = compare(a, b)
    print(line)
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())

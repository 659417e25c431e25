#!/usr/bin/python3
"""SNR of decoded MP3s against their source, for bench/convert-bench.sh's quality case.

    snr.py CHANNELS SOURCE.f32 NAME=DECODED.f32 [NAME=DECODED.f32 ...]

All files are raw interleaved 32-bit float, native byte order (ffmpeg -f f32le, mpg123 -e f32 -s).
Each decoded file is first aligned to the source: the lag within +-MAX_LAG frames that minimises
the squared error over an excerpt of the first channel. The SNR is then
10 log10(sum source^2 / sum (decoded - source)^2) over all samples the two share at that lag.
Prints one line per decoded file, then each later file's difference to the first one.
Standard library only; about a second per minute of stereo audio.
"""
import math
import sys
from array import array
from itertools import accumulate
from operator import mul, sub

MAX_LAG = 2000
EXCERPT = 4096


def load(path):
    samples = array("f")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return samples


def best_lag(src, dec, ch):
    """Lag (in frames) such that dec[frame + lag] lines up with src[frame]."""
    frames = min(len(src), len(dec)) // ch
    start = max(MAX_LAG, frames // 2 - EXCERPT // 2)
    if start + EXCERPT + MAX_LAG > frames:
        raise SystemExit(f"too short for the lag search: {frames} frames")
    x = src[start * ch:(start + EXCERPT) * ch:ch]
    y = dec[(start - MAX_LAG) * ch:(start + EXCERPT + MAX_LAG) * ch:ch]
    energy = [0.0, *accumulate(map(mul, y, y))]  # energy[i] = sum of y[:i]^2
    best, best_err = 0, math.inf
    for lag in range(-MAX_LAG, MAX_LAG + 1):
        i = lag + MAX_LAG
        # Squared error minus the constant sum x^2.
        err = energy[i + EXCERPT] - energy[i] - 2.0 * sum(map(mul, x, y[i:i + EXCERPT]))
        if err < best_err:
            best, best_err = lag, err
    return best


def snr(src, dec, ch, lag):
    """SNR in dB and the number of frames compared."""
    s0, d0 = (0, lag * ch) if lag >= 0 else (-lag * ch, 0)
    n = min(len(src) - s0, len(dec) - d0) // ch * ch
    s, d = src[s0:s0 + n], dec[d0:d0 + n]
    diff = array("d", map(sub, d, s))
    noise = math.fsum(map(mul, diff, diff))
    signal = math.fsum(map(mul, s, s))
    return 10.0 * math.log10(signal / noise) if noise > 0 else math.inf, n // ch


def main(argv):
    if len(argv) < 4 or not argv[1].isdigit():
        raise SystemExit(__doc__)
    ch = int(argv[1])
    src = load(argv[2])
    results = []
    for arg in argv[3:]:
        name, _, path = arg.rpartition("=")
        dec = load(path)
        lag = best_lag(src, dec, ch)
        db, frames = snr(src, dec, ch, lag)
        results.append((name or path, db))
        print(f"{name or path}: SNR {db:.3f} dB (lag {lag} frames, {frames} of {len(src) // ch} frames compared)")
    first, first_db = results[0]
    for name, db in results[1:]:
        print(f"{first} - {name} = {first_db - db:+.3f} dB")


if __name__ == "__main__":
    main(sys.argv)

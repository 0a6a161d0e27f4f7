#!/usr/bin/env python3
"""Checks the sound files the build puts beside the program, by measurement.

  v5.15njyls.wav  16-bit PCM, long enough, small enough to be read into memory, a sensible
                  level, and a loop point that does not click: the step from the last sample
                  back to the first is no bigger than the steps inside the music.
  v5.15gxj.mp3    decodes (lame --decode) to a few seconds of clearly audible sound.
With --regenerate, also makes both files again with scripts/make_music.sh and expects the same
bytes: the build must not depend on when or where it runs.

Usage: scripts/check_music.py [--regenerate] DIR
Prints one line per failed check; the exit code is the number of failures.
"""

import argparse
import array
import filecmp
import math
import os
import subprocess
import sys
import tempfile
import wave

MUSIC = "v5.15njyls.wav"
ALARM = "v5.15gxj.mp3"


def read_pcm16(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise ValueError(f"{w.getsampwidth() * 8}-bit samples, not 16")
        channels, rate = w.getnchannels(), w.getframerate()
        samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        samples.byteswap()
    # The channels' average: what matters here is the sound, not the layout.
    if channels > 1:
        samples = [sum(samples[i:i + channels]) / channels
                   for i in range(0, len(samples), channels)]
    return rate, [s / 32768.0 for s in samples]


def rms(xs):
    return math.sqrt(sum(x * x for x in xs) / len(xs)) if xs else 0.0


def db(x):
    return 20 * math.log10(x) if x > 0 else -math.inf


def check_music(path, fail):
    size = os.path.getsize(path)
    if size > 2 * 1024 * 1024:
        fail(f"{MUSIC}: {size} bytes; the program reads it into memory whole, keep it under 2 MB")
    rate, x = read_pcm16(path)
    if rate not in (22050, 44100):
        fail(f"{MUSIC}: {rate} Hz")
    seconds = len(x) / rate
    if seconds < 20:
        fail(f"{MUSIC}: {seconds:.1f} s, shorter than 20 s")
        return
    level = db(rms(x))
    if not -26 <= level <= -10:
        fail(f"{MUSIC}: RMS level {level:.1f} dBFS, outside -26 to -10")
    if max(abs(v) for v in x) > 0.98:
        fail(f"{MUSIC}: peaks at full scale")
    # Quiet stretches would be heard as gaps in a piece meant to play on and on.
    window = rate // 2
    quiet = [i for i in range(0, len(x) - window, window) if db(rms(x[i:i + window])) < level - 20]
    if quiet:
        fail(f"{MUSIC}: near silence at {quiet[0] / rate:.1f} s")
    # The loop point: the step from the last sample to the first, and the bend there (its
    # second difference: a click is a break in the curve, not only in the value), each
    # against what 99 in 100 places inside the music stay below.
    def p99(values):
        values = sorted(values)
        return values[len(values) * 99 // 100]

    step_limit = p99(abs(b - a) for a, b in zip(x, x[1:]))
    bend_limit = p99(abs(c - 2 * b + a) for a, b, c in zip(x, x[1:], x[2:]))
    step = abs(x[0] - x[-1])
    bend = abs(x[0] - 2 * x[-1] + x[-2])
    if step > step_limit or bend > bend_limit:
        fail(f"{MUSIC}: the loop point steps by {step:.4f} and bends by {bend:.5f}; inside "
             f"the music 99 in 100 stay below {step_limit:.4f} and {bend_limit:.5f}")


def check_alarm(path, fail):
    with tempfile.TemporaryDirectory() as tmp:
        decoded = os.path.join(tmp, "alarm.wav")
        r = subprocess.run(["lame", "--decode", "--quiet", path, decoded],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if r.returncode != 0 or not os.path.exists(decoded):
            fail(f"{ALARM}: lame cannot decode it: {r.stderr.strip()}")
            return
        rate, x = read_pcm16(decoded)
    seconds = len(x) / rate
    if not 2 <= seconds <= 10:
        fail(f"{ALARM}: {seconds:.1f} s, not a few seconds")
    # Most of it sounds: count the tenths of a second well above silence.
    tenth = rate // 10
    chunks = [x[i:i + tenth] for i in range(0, len(x) - tenth + 1, tenth)]
    loud = sum(1 for c in chunks if db(rms(c)) > -30)
    if not chunks or loud < len(chunks) * 2 // 3:
        fail(f"{ALARM}: only {loud} of {len(chunks)} tenths of a second are audible")
    if db(max(abs(v) for v in x)) < -6:
        fail(f"{ALARM}: too quiet for an alarm")


def check_same_bytes(folder, fail):
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_music.sh")
    with tempfile.TemporaryDirectory() as tmp:
        r = subprocess.run(["bash", script, tmp], stderr=subprocess.PIPE, text=True)
        if r.returncode != 0:
            fail(f"make_music.sh failed: {r.stderr.strip()}")
            return
        for name in (MUSIC, ALARM):
            if not filecmp.cmp(os.path.join(folder, name), os.path.join(tmp, name), shallow=False):
                fail(f"{name}: a second run of make_music.sh gives other bytes")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--regenerate", action="store_true")
    parser.add_argument("dir")
    args = parser.parse_args()
    failures = []

    def fail(message):
        failures.append(message)
        print(f"check_music: {message}")

    for name, check in ((MUSIC, check_music), (ALARM, check_alarm)):
        path = os.path.join(args.dir, name)
        if not os.path.isfile(path):
            fail(f"{name} is missing from {args.dir}")
            continue
        try:
            check(path, fail)
        except (OSError, ValueError, EOFError, wave.Error) as e:
            fail(f"{name}: unreadable: {e}")
    if args.regenerate and not failures:
        check_same_bytes(args.dir, fail)
    return min(len(failures), 100)


if __name__ == "__main__":
    sys.exit(main())

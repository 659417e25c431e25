#!/usr/bin/python3
"""Prints what mutagen reads from an MP3 file as one line of key=value pairs.

Used by the tests as an independent reader of the files the converter writes.
Keys: ok, sample_rate, channels, bitrate, cbr (1 when an Info/Xing header marks the file as
constant bit rate), length (seconds), mode (MPEG channel mode 0..3), encoder, id3v2, id3v1.
"""
import sys

try:
    from mutagen.mp3 import MP3, BitrateMode
except ImportError:
    print("ok=0 error=mutagen-missing")
    sys.exit(0)

path = sys.argv[1]
try:
    f = MP3(path)
except Exception as e:  # any reading error is a verdict, not a crash
    print("ok=0 error=" + type(e).__name__)
    sys.exit(0)

i = f.info
with open(path, "rb") as raw:
    data = raw.read()
fields = {
    "ok": 1,
    "sample_rate": i.sample_rate,
    "channels": i.channels,
    "bitrate": i.bitrate,
    "cbr": int(i.bitrate_mode == BitrateMode.CBR),
    "length": "%.6f" % i.length,
    "mode": i.mode,
    "encoder": (i.encoder_info or "none").replace(" ", "_"),
    "id3v2": int(data[:3] == b"ID3"),
    "id3v1": int(len(data) >= 128 and data[-128:-125] == b"TAG"),
}
print(" ".join("%s=%s" % kv for kv in fields.items()))

#!/usr/bin/python3
"""Prints the ID3 tags of an MP3 file as JSON, read with mutagen and by hand for ID3v1.

{"id3v2": null | {"version": "2.4", "frames": {"TIT2": "text", "COMM": "text", ...}},
 "id3v1": null | {"title", "artist", "album", "year", "comment", "track", "genre"}}
Used by the tests as an independent reader of the tags the converter writes.
"""
import json
import sys

from mutagen.id3 import ID3, ID3NoHeaderError

path = sys.argv[1]
out = {"id3v2": None, "id3v1": None}
try:
    tag = ID3(path, load_v1=False)
    frames = {}
    for frame in tag.values():
        frames.setdefault(frame.FrameID, "/".join(str(t) for t in frame.text))
    out["id3v2"] = {"version": "%d.%d" % tag.version[:2], "frames": frames}
except ID3NoHeaderError:
    pass

with open(path, "rb") as f:
    data = f.read()
if len(data) >= 128 and data[-128:-125] == b"TAG":
    v1 = data[-128:]

    def text(a, b):
        return v1[a:b].split(b"\0")[0].decode("latin-1").rstrip(" ")

    has_track = v1[125] == 0 and v1[126] != 0
    out["id3v1"] = {
        "title": text(3, 33),
        "artist": text(33, 63),
        "album": text(63, 93),
        "year": text(93, 97),
        "comment": text(97, 125 if has_track else 127),
        "track": v1[126] if has_track else 0,
        "genre": v1[127],
    }
print(json.dumps(out, ensure_ascii=True))

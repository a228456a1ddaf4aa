#!/usr/bin/env python3
"""vekfs-dump's stream command against the frames the image builder wrote.

Builds the `stream` image, has vekfs-dump seek a channel to a time and write
what the reader returns, and checks it is byte for byte the event's frames
from the expected key frame (the first at or after the time) to the event's end.

usage: check_dump_stream.py MKIMG DUMP VERSION WORKDIR [EMULATOR...]
"""
import os
import re
import sys

from tool_run import run


def fields(line):
    return dict(kv.split("=", 1) for kv in line.split()[1:] if "=" in kv)


def main():
    mkimg, dump, version, work = sys.argv[1:5]
    emulator = sys.argv[5:]
    os.makedirs(work, exist_ok=True)
    image = os.path.join(work, f"stream-v{version}.img")
    manifest = os.path.join(work, f"stream-v{version}.manifest")

    # (channel, partition, position, slot, seek time)
    cases = [
        (2, 0, 2, 0, "2024-03-05 12:00:00"),  # leading P frames: lands on the only key frame, 12:00:01
        (0, 0, 0, 0, "2024-03-05 12:00:05"),  # exactly on a key frame's second
        (1, 0, 1, 0, "2024-03-05 12:00:07"),  # two key frames a second, extension bytes
    ]
    failures = 0
    for ch, p, pos, slot, at in cases:
        extract = os.path.join(work, f"event-{p}-{pos}-{slot}-v{version}.264")
        run(emulator + [mkimg, "--version", version, "--scenario", "stream", "-o", image, "-m", manifest,
                        "--extract", f"{p}:{pos}:{slot}:{extract}"])
        lines = open(manifest).read().splitlines()
        event = next(fields(l) for l in lines if l.startswith("event ")
                     and fields(l)["p"] == str(p) and fields(l)["pos"] == str(pos) and fields(l)["slot"] == str(slot))
        kframes = [fields(l) for l in lines if l.startswith("kframe ")
                   and fields(l)["p"] == str(p) and fields(l)["pos"] == str(pos) and fields(l)["slot"] == str(slot)]
        want_time = at.replace(" ", "T")
        later = [k for k in kframes if k["time"] >= want_time]
        if not later:
            sys.exit(f"case ch{ch}: no key frame at or after {at} in the manifest")
        key = min(later, key=lambda k: k["time"])
        frames = open(extract, "rb").read()
        start = int(key["offset"]) - int(event["data_start"])
        expected = frames[start:]

        got_path = os.path.join(work, f"got-ch{ch}-v{version}.264")
        out = run(emulator + [dump, "--build", version, image, "stream", "--ch", str(ch), "--at", at,
                              "--out", got_path])
        got = open(got_path, "rb").read()
        if got != expected:
            failures += 1
            first = next((i for i in range(min(len(got), len(expected))) if got[i] != expected[i]), None)
            print(f"ch{ch} at {at}: got {len(got)} bytes, expected {len(expected)}, first difference at {first}")
            print(out)
        elif not (got[:4] == b"VkFm" and got[4:5] == b"I"):
            failures += 1
            print(f"ch{ch} at {at}: the stream does not start with a key frame header")
        else:
            print(f"ch{ch} at {at}: {len(got)} bytes from the key frame at {key['time']} match")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

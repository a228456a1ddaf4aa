#!/usr/bin/env python3
"""Independent reader of a "VkFm" frame stream (.264 as mkstream writes it).

Walks the stream frame by frame from the header bytes alone (junk between
frames is skipped by searching for the next magic), then compares what it found
with the manifest, the H.264 stream the video came from, and ffprobe's packets.

  check_stream_file.py STREAM [--manifest M.txt|M.json] [--h264 FILE] [--packets CSV]
"""
import argparse
import json
import struct
import sys

MAGIC = b"VkFm"


def walk(data):
    frames = []
    pos = 0
    while pos < len(data):
        at = data.find(MAGIC, pos)
        if at < 0:
            raise SystemExit(f"trailing bytes without a frame at {pos}")
        if len(data) - at < 40:
            raise SystemExit(f"partial header at {at}")
        ftype = chr(data[at + 4])
        ext = data[at + 7]
        size, = struct.unpack_from("<I", data, at + 12)
        time_us, = struct.unpack_from("<Q", data, at + 16)
        space = ((size + 7) // 8 + ext) * 8 + 40
        if at + space > len(data):
            raise SystemExit(f"frame at {at} passes the end of the stream")
        pad = data[at + 40 + size: at + 40 + (size + 7) // 8 * 8]
        if any(pad):
            raise SystemExit(f"non-zero padding in the frame at {at}")
        frames.append(dict(offset=at, type=ftype, size=size, time_us=time_us, space=space, ext=ext,
                           junk_before=at - pos, payload=data[at + 40: at + 40 + size]))
        pos = at + space
    return frames


def read_manifest(path):
    with open(path) as f:
        if path.endswith(".json"):
            return json.load(f)["frames"]
        rows = []
        for line in f:
            if line.startswith("#"):
                continue
            n, off, t, size, time_us, space, ext, junk = line.split()
            rows.append(dict(number=int(n), offset=int(off), type=t, size=int(size), time_us=int(time_us),
                             space=int(space), ext=int(ext), junk_before=int(junk)))
        return rows


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("stream")
    ap.add_argument("--manifest")
    ap.add_argument("--h264")
    ap.add_argument("--packets")
    a = ap.parse_args()
    data = open(a.stream, "rb").read()
    frames = walk(data)
    if not frames:
        raise SystemExit("no frames")
    if data.count(MAGIC) != len(frames):
        raise SystemExit("\"VkFm\" appears inside payloads or junk")
    times = [f["time_us"] for f in frames]
    if times != sorted(times):
        raise SystemExit("frame times go backwards")

    if a.manifest:
        rows = read_manifest(a.manifest)
        if len(rows) != len(frames):
            raise SystemExit(f"manifest lists {len(rows)} frames, the stream holds {len(frames)}")
        for row, fr in zip(rows, frames):
            for key in ("offset", "type", "size", "time_us", "space", "ext", "junk_before"):
                if row[key] != fr[key]:
                    raise SystemExit(f"frame {row['number']}: manifest {key}={row[key]}, stream {fr[key]}")

    video = [f for f in frames if f["type"] in "IP"]
    if a.h264:
        source = open(a.h264, "rb").read()
        joined = b"".join(f["payload"] for f in video)
        cycled = source * (len(joined) // len(source) + 1)
        if joined != cycled[:len(joined)]:
            raise SystemExit("video payloads are not the H.264 stream's bytes in order")
        if not video[0]["payload"].startswith(source[:64]):
            raise SystemExit("the first video frame does not start the H.264 stream")
    if a.packets:
        packets = [line.strip().split(",") for line in open(a.packets) if line.strip()]
        if len(packets) != len(video):
            raise SystemExit(f"{len(video)} video frames for {len(packets)} ffprobe packets")
        for i, ((size, flags), fr) in enumerate(zip(packets, video)):
            if int(size) != fr["size"] or (flags.startswith("K")) != (fr["type"] == "I"):
                raise SystemExit(f"video frame {i}: {fr['type']} {fr['size']} vs ffprobe {size},{flags}")
    print(f"{a.stream}: {len(frames)} frames ({len(video)} video) as expected")


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Independent check of a .264 container made from a "VkFm" frame stream.

From the source stream alone: frames start at "VkFm" followed by 'I', 'P' or
'A' (other letters are not frames); a payload length above 511,960 marks damage
and is skipped by 40 bytes; a frame cut short by the end is not written; every
frame before the first 'I' is dropped. The container must then be:

  0   "ALVkFile", u32 16, "Full", u64 index offset, 16-byte GUID,
      u64 first frame time (the first 'I'), u64 last frame time
  56  every kept frame byte for byte, zero-padded to a multiple of 8
  index offset: "List", "Idx\\0", u16 16, u16 16, u32 16 x entries, then per 'I'
      frame u64 time, u64 offset of its header (which reads "VkFmI")
  and nothing after the index.

  c264check.py FILE STREAM.264 [--frames N] [--keys N]
"""
import struct
import sys

from checker_common import MAGIC, MAX_PAYLOAD, Bad, expect, u16, u32, u64, checker_main  # noqa: F401


def kept_frames(data):
    frames = []
    pos = 0
    waiting = True
    while True:
        at = data.find(MAGIC, pos)
        if at < 0 or at + 5 > len(data):
            break
        if data[at + 4:at + 5] not in (b"I", b"P", b"A"):
            pos = at + 1
            continue
        if len(data) - at < 40:
            break
        length = struct.unpack_from("<I", data, at + 12)[0]
        if length > MAX_PAYLOAD:
            pos = at + 40
            continue
        end = at + 40 + length
        if end > len(data):
            break
        pos = end
        if waiting:
            if data[at + 4:at + 5] != b"I":
                continue
            waiting = False
        frames.append(data[at:end])
    return frames


def check(c, stream, args):
    frames = kept_frames(stream)
    keys = [f for f in frames if f[4:5] == b"I"]
    if args.frames is not None:
        expect(len(frames) == args.frames, f"the stream gives {len(frames)} frames, not {args.frames}")
    if args.keys is not None:
        expect(len(keys) == args.keys, f"the stream gives {len(keys)} key frames, not {args.keys}")

    expect(len(c) >= 72, f"file of {len(c)} bytes is too short")
    magic, version, full, index_at = struct.unpack_from("<8sI4sQ", c, 0)
    expect((magic, version, full) == (b"ALVkFile", 16, b"Full"), f"header {(magic, version, full)}")
    expect(any(c[24:40]), "GUID is all zeros")
    first, last = struct.unpack_from("<QQ", c, 40)
    want_first = struct.unpack_from("<Q", frames[0], 16)[0] if frames else 0
    want_last = struct.unpack_from("<Q", frames[-1], 16)[0] if frames else 0
    expect((first, last) == (want_first, want_last), f"times {(first, last)}, expected {(want_first, want_last)}")

    at = 56
    key_offsets = []
    for i, f in enumerate(frames):
        expect(c[at:at + len(f)] == f, f"frame {i} at {at} differs from the stream")
        pad = (-len(f)) % 8
        expect(not any(c[at + len(f):at + len(f) + pad]), f"frame {i} at {at}: padding is not zero")
        if f[4:5] == b"I":
            key_offsets.append(at)
        at += len(f) + pad
    expect(index_at == at, f"index offset {index_at}, frames end at {at}")

    head = struct.unpack_from("<4s4sHHI", c, at)
    expect(head == (b"List", b"Idx\0", 16, 16, 16 * len(keys)), f"index header {head}")
    for i, (f, off) in enumerate(zip(keys, key_offsets)):
        t, o = struct.unpack_from("<QQ", c, at + 16 + 16 * i)
        want = (struct.unpack_from("<Q", f, 16)[0], off)
        expect((t, o) == want, f"index entry {i}: {(t, o)}, expected {want}")
        expect(c[o:o + 5] == b"VkFmI", f"index entry {i} points at {c[o:o + 5]!r}")
    end = at + 16 + 16 * len(keys)
    expect(end == len(c), f"the file goes on after the index ({len(c) - end} bytes)")
    return len(frames), len(keys)


def main():
    def summary(data, stream, args):
        n, k = check(data, stream, args)
        return f"{n} frames, {k} in the key-frame index"
    return checker_main("c264check", __doc__, summary, ['--frames', '--keys'])


if __name__ == "__main__":
    sys.exit(main())

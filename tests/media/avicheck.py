#!/usr/bin/env python3
"""Independent check of an AVI file made from a "VkFm" frame stream.

Works out from the source stream alone which chunks the file must hold:

  * frames are cut at every "VkFm" (any type letter); a header whose payload
    length passes 511,960 is damage and skipped by 40 bytes; a frame cut short
    by the end of the stream is not written;
  * nothing before the first 'I' frame;
  * 'I' -> "00db" (index flags 0x10), 'P' -> "00dc" (flags 0), each with the
    40-byte frame header as trailer;
  * 'A' only after the first video chunk, and only when its block size (u16 at
    +38, 4-byte prefix included) is 5 or more and not larger than the payload:
    one "01wb" chunk per whole block, holding the block without its prefix,
    with a 48-byte trailer (the header with the block size as its length, the
    prefix, 4 zero bytes);
  * other type letters are dropped.

Then walks the AVI through its idx1 index (chunk lengths count only the
payload, so a plain RIFF walk cannot step over the trailers) and checks every
chunk's tag, length, payload, trailer, pad byte, index flags and absolute
offset, every field of the 2048-byte header area, the list sizes, the JUNK with
the span in seconds, and the JUNK after idx1 with the time of every video frame,
after which the file must end.

With --shorter the file holds only the chunks of the stream's first frames
(a conversion or export stopped part-way): at least one and fewer than all,
checked as above.

  avicheck.py FILE.avi STREAM.264 [--video N] [--audio N] [--streams N] [--shorter 1]
"""
import struct
import sys

from checker_common import MAGIC, MAX_PAYLOAD, Bad, expect, u16, u32, u64, checker_main  # noqa: F401

AUDIO_TAGS = [1, 6, 7, 0x61, 0x64, 0x64, 0x64, 0x64, 0, 0, 0]


def cut_frames(data):
    """Frames the writer keeps, from the first key frame on."""
    frames = []
    pos = 0
    waiting = True
    while True:
        at = data.find(MAGIC, pos)
        if at < 0 or len(data) - at < 40:
            break
        length = u32(data, at + 12)
        if length > MAX_PAYLOAD:
            pos = at + 40
            continue
        end = at + 40 + length
        if end > len(data):
            break
        ftype = data[at + 4:at + 5]
        pos = end
        if waiting:
            if ftype != b"I":
                continue
            waiting = False
        frames.append(data[at:end])
    return frames


def audio_format(header):
    codec = header[5]
    tag = AUDIO_TAGS[codec] if codec < len(AUDIO_TAGS) else 6
    given = header[37] // 2
    if codec == 1:
        bits = given
    elif tag in (6, 7):
        bits = 8
    elif tag in (0x61, 0x64):
        bits = 4
    elif tag == 1:
        bits = given or 16
    else:
        bits = given
    channels = header[36]
    rate = u32(header, 32)
    return dict(tag=tag, channels=channels, rate=rate, bits=bits, align=u16(header, 38) - 4,
                byte_rate=min(bits * rate * channels // 8, 0xFFFFFFFF))


def expected_chunks(frames):
    chunks = []  # (tag, flags, payload, trailer, frame time or None)
    video = None
    audio = None
    for f in frames:
        t = f[4:5]
        payload = f[40:]
        if t in (b"I", b"P"):
            if video is None:
                video = dict(width=u16(f, 32), height=u16(f, 34), fps=f[36])
            key = t == b"I"
            chunks.append((b"00db" if key else b"00dc", 0x10 if key else 0, payload, f[:40], u64(f, 16)))
        elif t == b"A":
            if video is None:
                continue
            block = u16(f, 38)
            if block < 5 or block > len(payload):
                continue
            if audio is None:
                audio = audio_format(f)
            head = bytearray(f[:40])
            struct.pack_into("<I", head, 12, block)
            for k in range(len(payload) // block):
                b = payload[k * block:(k + 1) * block]
                chunks.append((b"01wb", 0, b[4:], bytes(head) + b[:4] + b"\0" * 4, None))
    return chunks, video, audio


def indexed_chunks(avi):
    """The number of idx1 entries of an AVI file, read from its movi size."""
    expect(len(avi) >= 2048 + 8, f"file of {len(avi)} bytes is too short")
    idx1 = 2044 + u32(avi, 2040)
    expect(idx1 + 8 <= len(avi) and avi[idx1:idx1 + 4] == b"idx1", "movi size does not lead to idx1")
    return u32(avi, idx1 + 4) // 16


def check(avi, stream, args):
    frames = cut_frames(stream)
    chunks, video, audio = expected_chunks(frames)
    if args.shorter:
        n = indexed_chunks(avi)
        expect(0 < n < len(chunks), f"the file holds {n} of the stream's {len(chunks)} chunks")
        chunks = chunks[:n]
    n_video = sum(1 for c in chunks if c[0] != b"01wb")
    audio_bytes = sum(len(c[2]) for c in chunks if c[0] == b"01wb")
    if args.video is not None:
        expect(n_video == args.video, f"the stream gives {n_video} video chunks, not {args.video}")
    if args.audio is not None:
        n_audio = len(chunks) - n_video
        expect(n_audio == args.audio, f"the stream gives {n_audio} audio chunks, not {args.audio}")

    expect(len(avi) >= 2048 + 16, f"file of {len(avi)} bytes is too short")
    expect(avi[0:4] == b"RIFF" and avi[8:12] == b"AVI ", "no RIFF AVI form")
    expect(u32(avi, 4) == len(avi) - 8, f"RIFF size {u32(avi, 4)}, file length - 8 is {len(avi) - 8}")

    with_audio = audio_bytes > 0
    h = 320 if with_audio else 212
    expect(avi[12:16] == b"LIST" and avi[20:24] == b"hdrl", "no hdrl list at 12")
    expect(u32(avi, 16) == h - 20, f"hdrl size {u32(avi, 16)}, expected {h - 20}")

    fps = video["fps"] if video else 0
    us = int(1000000 / fps + 0.5) if fps >= 0.001 else 0
    width = video["width"] if video else 0
    height = video["height"] if video else 0
    expect(avi[24:28] == b"avih" and u32(avi, 28) == 56, "no avih of 56 bytes at 24")
    avih = struct.unpack_from("<14I", avi, 32)
    want = (us, 10000000, 0, 0x10030, n_video, 0, 2 if with_audio else 1, 0, width, height, 0, 0, 0, 0)
    expect(avih == want, f"avih {avih}, expected {want}")
    if args.streams is not None:
        expect(avih[6] == args.streams, f"{avih[6]} streams, expected {args.streams}")

    expect(avi[88:92] == b"LIST" and u32(avi, 92) == 116 and avi[96:100] == b"strl", "no video strl at 88")
    expect(avi[100:104] == b"strh" and u32(avi, 104) == 56, "no video strh of 56 bytes")
    # The stream is described by the first key frame; a file without one says nothing.
    handler, bit_count = (b"H264", 12) if video else (b"\0" * 4, 0)
    strh = struct.unpack_from("<4s4sIHHIIIIIIII8s", avi, 108)
    want = (b"vids", handler, 1, 0, 0, 0, us, 1000000, 0, n_video, 0, 0, 0xFFFFFFFF, b"\0" * 8)
    expect(strh == want, f"video strh {strh}, expected {want}")
    expect(avi[164:168] == b"strf" and u32(avi, 168) == 40, "no video strf of 40 bytes")
    strf = struct.unpack_from("<IiiHH4sIiiII", avi, 172)
    want = (40, width, height, 1, bit_count, handler, (width * height * 4) & 0xFFFFFFFF, 0, 0, 0, 0)
    expect(strf == want, f"video strf {strf}, expected {want}")

    if with_audio:
        a = audio
        expect(avi[212:216] == b"LIST" and u32(avi, 216) == 100 and avi[220:224] == b"strl",
               "no audio strl at 212")
        expect(avi[224:228] == b"strh" and u32(avi, 228) == 64, "no audio strh of 64 bytes")
        strh = struct.unpack_from("<4sIIHHIIIIIIII16s", avi, 232)
        want = (b"auds", 0, 0, 0, 0, 0, a["align"], a["byte_rate"], 0, audio_bytes // a["align"], 0,
                0xFFFFFFFF, a["align"], b"\0" * 16)
        expect(strh == want, f"audio strh {strh}, expected {want}")
        expect(avi[296:300] == b"strf" and u32(avi, 300) == 16, "no audio strf of 16 bytes")
        strf = struct.unpack_from("<HHIIHH", avi, 304)
        want = (a["tag"], a["channels"], a["rate"], a["byte_rate"], a["align"], a["bits"])
        expect(strf == want, f"audio strf {strf}, expected {want}")

    expect(avi[h:h + 4] == b"JUNK" and u32(avi, h + 4) == 2028 - h, f"no JUNK of {2028 - h} bytes at {h}")
    times = [u64(c[3], 16) // 1000000 for c in chunks]
    span = (times[-1] - times[0]) & 0xFFFFFFFF if times else 0
    expect(u32(avi, h + 8) == 0, "first JUNK word is not 0")
    expect(u32(avi, h + 12) == span, f"JUNK span {u32(avi, h + 12)} s, expected {span}")
    expect(not any(avi[h + 16:2036]), "header JUNK holds more than its two words")

    expect(avi[2036:2040] == b"LIST" and avi[2044:2048] == b"movi", "no movi list at 2036")
    idx1 = 2044 + u32(avi, 2040)
    expect(idx1 + 8 <= len(avi) and avi[idx1:idx1 + 4] == b"idx1",
           f"movi size {u32(avi, 2040)} does not lead to idx1")
    n = u32(avi, idx1 + 4)
    expect(n == 16 * len(chunks), f"idx1 holds {n // 16} entries, expected {len(chunks)}")

    at = 2048
    for i, (tag, flags, payload, trailer, _) in enumerate(chunks):
        etag, eflags, eoff, elen = struct.unpack_from("<4sIII", avi, idx1 + 8 + 16 * i)
        expect((etag, eflags, eoff, elen) == (tag, flags, at, len(payload)),
               f"idx1 entry {i}: {(etag, eflags, eoff, elen)}, expected {(tag, flags, at, len(payload))}")
        expect(avi[at:at + 4] == tag and u32(avi, at + 4) == len(payload),
               f"chunk {i} at {at}: tag {avi[at:at + 4]!r} length {u32(avi, at + 4)}")
        p = at + 8
        expect(avi[p:p + len(payload)] == payload, f"chunk {i} at {at}: payload differs")
        p += len(payload)
        expect(avi[p:p + len(trailer)] == trailer, f"chunk {i} at {at}: trailer differs")
        p += len(trailer)
        if (len(payload) + len(trailer)) % 2:
            expect(avi[p] == 0, f"chunk {i} at {at}: pad byte {avi[p]}")
            p += 1
        at = p
    expect(at == idx1, f"chunks end at {at}, idx1 is at {idx1}")

    tail = idx1 + 8 + n
    expect(avi[tail:tail + 4] == b"JUNK", f"no frame-time JUNK at {tail}")
    video_times = [c[4] for c in chunks if c[4] is not None]
    expect(u32(avi, tail + 4) == 8 * len(video_times),
           f"frame-time JUNK of {u32(avi, tail + 4)} bytes, expected {8 * len(video_times)}")
    got = list(struct.unpack_from(f"<{len(video_times)}Q", avi, tail + 8))
    expect(got == video_times, "frame times differ from the video frames' times")
    end = tail + 8 + 8 * len(video_times)
    expect(end == len(avi), f"the file goes on after the frame times ({len(avi) - end} bytes)")
    return n_video, len(chunks) - n_video


def main():
    def summary(data, stream, args):
        n_video, n_audio = check(data, stream, args)
        return f"{n_video} video and {n_audio} audio chunks"
    return checker_main("avicheck", __doc__, summary, ['--video', '--audio', '--streams', '--shorter'])


if __name__ == "__main__":
    sys.exit(main())

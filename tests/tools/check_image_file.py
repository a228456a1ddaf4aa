#!/usr/bin/env python3
"""Independent reader of a recorder disk image made by vekfs-mkimg.

Checks the file against the manifest written beside it, decoding the bytes
itself: the file is sparse at the manifest's device size, sector 0 keeps the
MBR signature and holds the parameter block ("Vkfs", version words, check
word), the four index copies agree where no damage was asked for, every data
file starts with its table entry, event records hold what the manifest says,
every key-frame entry points at an 'I' frame header of the right length and
time, "Iend" sits where the manifest says, and every listed frame is there.

  check_image_file.py IMAGE MANIFEST [--h264 FILE]
"""
import argparse
import os
import struct
import sys

SIZES = {1: dict(file=64, event=40, ev_end=24, ev_len=28, ev_iend=32, ev_skip=36),
         2: dict(file=112, event=48, ev_end=28, ev_len=32, ev_iend=36, ev_skip=40)}


def fail(text):
    raise SystemExit(text)


def parse(path):
    facts = []
    for line in open(path):
        if line.startswith("#") or not line.strip():
            continue
        kind, *fields = line.split(" ", 1)
        d = {"kind": kind}
        rest = fields[0] if fields else ""
        # note="..." is last on mark lines and may hold spaces
        if 'note="' in rest:
            rest, note = rest.split('note="', 1)
            d["note"] = note.rstrip().rstrip('"')
        for kv in rest.split():
            k, v = kv.split("=", 1)
            d[k] = v
        facts.append(d)
    return facts


def u32(b, off):
    return struct.unpack_from("<I", b, off)[0]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("image")
    ap.add_argument("manifest")
    ap.add_argument("--h264")
    a = ap.parse_args()
    facts = parse(a.manifest)
    image = [f for f in facts if f["kind"] == "image"][0]
    version = int(image["version"])
    sz = SIZES[version]
    ft_off = int(image["file_table_offset"])
    ev_off = int(image["event_area_offset"])
    block = sz["event"] * 256

    st = os.stat(a.image)
    if st.st_size != int(image["device_size"]):
        fail(f"image is {st.st_size} bytes, manifest says {image['device_size']}")
    if hasattr(st, "st_blocks") and st.st_blocks * 512 * 50 > st.st_size:
        fail(f"image is not sparse: {st.st_blocks * 512} bytes on disk for {st.st_size}")

    f = open(a.image, "rb")

    def read(off, n):
        f.seek(off)
        return f.read(n)

    s0 = read(0, 512)
    if s0[256:260] != b"Vkfs":
        fail("no Vkfs at byte 256")
    if s0[510:512] != b"\x55\xaa":
        fail("MBR signature lost")
    p = s0[256:384]
    if struct.unpack_from("<HH", p, 16) != (version, version):
        fail("version words")
    x = 0
    for off in range(0, 124, 4):
        x ^= u32(p, off)
    if x != u32(p, 124):
        fail("check word")

    copies = {}
    for part in (d for d in facts if d["kind"] == "partition"):
        pi = part["p"]
        used = ev_off + int(part["files"]) * block
        offs = [d for d in facts if d["kind"] == "copy" and d["p"] == pi]
        intact = [read(int(c["offset"]), used) for c in offs if c["damage"] == "none"]
        if not intact or any(c != intact[0] for c in intact):
            fail(f"partition {pi}: intact index copies differ")
        copies[pi] = intact[0]
        if copies[pi][0:4] != b"Part":
            fail(f"partition {pi}: no Part record")

    files = {}
    for fl in (d for d in facts if d["kind"] == "file"):
        key = (fl["p"], fl["pos"])
        files[key] = fl
        base = int(fl["base"])
        pos = int(fl["pos"])
        entry = copies[fl["p"]][ft_off + pos * sz["file"]: ft_off + (pos + 1) * sz["file"]]
        if read(base, sz["file"]) != entry or entry[0:4] != b"File":
            fail(f"file {key}: entry copy at data byte 0 differs from the table")
        if int(fl["iend"]) >= 0 and read(base + int(fl["iend"]), 4) != b"Iend":
            fail(f"file {key}: no Iend at {fl['iend']}")

    for ev in (d for d in facts if d["kind"] == "event"):
        fl = files[(ev["p"], ev["pos"])]
        rec_at = ev_off + int(fl["pos"]) * block + int(ev["slot"]) * sz["event"]
        rec = copies[ev["p"]][rec_at: rec_at + sz["event"]]
        want = dict(magic=ev["magic"].encode(), data_start=int(ev["data_start"]),
                    index_start=int(ev["index_start"]), data_length=int(ev["data_length"]),
                    index_end=int(ev["index_end"]), number=int(ev["number"]), skip=int(ev["skip"]))
        got = dict(magic=rec[0:4], data_start=u32(rec, 8), index_start=u32(rec, 12),
                   data_length=u32(rec, sz["ev_len"]), index_end=u32(rec, sz["ev_iend"]),
                   number=struct.unpack_from("<H", rec, 20)[0], skip=rec[sz["ev_skip"]])
        if want != got:
            fail(f"event {ev['p']}/{ev['pos']}/{ev['slot']}: record {got} vs manifest {want}")

    events = {(e["p"], e["pos"], e["slot"]): e for e in facts if e["kind"] == "event"}
    kframes = 0
    for k in (d for d in facts if d["kind"] == "kframe"):
        fl = files[(k["p"], k["pos"])]
        base = int(fl["base"])
        ent = read(base + int(k["at"]), 16)
        if u32(ent, 8) != int(k["offset"]) or u32(ent, 12) != int(k["length"]):
            fail(f"key-frame entry at {k['at']} differs from the manifest")
        if events[(k["p"], k["pos"], k["slot"])]["index_only"] == "1":
            continue
        h = read(base + int(k["offset"]), 40)
        if h[0:4] != b"VkFm" or h[4:5] != b"I" or u32(h, 12) + 40 != int(k["length"]) \
                or struct.unpack_from("<Q", h, 16)[0] != int(k["time_us"]):
            fail(f"key-frame entry at {k['at']} does not point at its I frame")
        kframes += 1

    frames = 0
    first_video = {}
    for fr in (d for d in facts if d["kind"] == "frame"):
        base = int(files[(fr["p"], fr["pos"])]["base"])
        h = read(base + int(fr["offset"]), 40)
        if h[0:4] != b"VkFm" or chr(h[4]) != fr["type"] or u32(h, 12) != int(fr["size"]) \
                or struct.unpack_from("<Q", h, 16)[0] != int(fr["time_us"]):
            fail(f"frame {fr['p']}/{fr['pos']}/{fr['slot']} #{fr['n']} differs from the manifest")
        if fr["type"] in "IP":
            first_video.setdefault((fr["p"], fr["pos"], fr["slot"]), (base + int(fr["offset"]), int(fr["size"])))
        frames += 1

    if a.h264:
        source = open(a.h264, "rb").read()
        for key, (at, size) in first_video.items():
            if read(at + 40, size) != source[:size]:
                fail(f"event {key} does not start with the H.264 stream's first access unit")
    print(f"{a.image}: {kframes} key frames, {frames} frames as the manifest says")


if __name__ == "__main__":
    sys.exit(main())

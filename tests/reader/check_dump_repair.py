#!/usr/bin/env python3
"""Repair on mount through vekfs-dump, against the image builder's manifest.

Builds the `unclean` image (a power loss left one file per channel open),
mounts it with vekfs-dump and checks: a repair line for every open channel and
none for the closed one; the event list then shows each repaired "EvWr" event
ending at its last key frame (time, data length and index end), drops the
events whose last key frame cannot be found, and keeps every complete event as
it was; a second mount changes no byte of the image.

usage: check_dump_repair.py MKIMG DUMP VERSION WORKDIR [EMULATOR...]
"""
import hashlib
import os
import re
import sys

from tool_run import run


def fields(line):
    return dict(kv.split("=", 1) for kv in line.split()[1:] if "=" in kv)


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def main():
    mkimg, dump, version, work = sys.argv[1:5]
    emulator = sys.argv[5:]
    os.makedirs(work, exist_ok=True)
    image = os.path.join(work, f"unclean-v{version}.img")
    manifest = os.path.join(work, f"unclean-v{version}.manifest")
    run(emulator + [mkimg, "--version", version, "--scenario", "unclean", "-o", image, "-m", manifest])
    lines = open(manifest).read().splitlines()
    files = [fields(l) for l in lines if l.startswith("file ")]
    events = [fields(l) for l in lines if l.startswith("event ")]
    kframes = [fields(l) for l in lines if l.startswith("kframe ")]
    problems = []

    # The last file of each channel: the open one (end_sequence 0xffffffff) if any.
    open_channels = sorted({int(f["channel"]) for f in files if int(f["state"]) == 2})
    mount = run(emulator + [dump, "--build", version, "--channels", "16", image, "mount"])
    repaired = sorted(int(m) for m in re.findall(r"\[vekfs\]:chn(\d+) repair success", mount))
    if repaired != open_channels:
        problems.append(f"repair lines for channels {repaired}, open channels {open_channels}")
    for line in ("this is impossible,bad luck!", "can't find last iframe", "Warning pevent nr conflict!!!"):
        if line not in mount:
            problems.append(f"mount did not say \"{line}\"")

    # What the event search must show after the repair.
    expected = set()
    for e in events:
        key = (e["p"], e["pos"], e["slot"])
        if e["magic"] == "Even":
            end, length, index_end = e["end"], int(e["data_length"]), int(e["index_end"])
        elif e["magic"] == "EvWr":
            own = [k for k in kframes if (k["p"], k["pos"], k["slot"]) == key]
            file = next(f for f in files if (f["p"], f["pos"]) == key[:2])
            iend = int(file["iend"])
            # The last real entry sits just above "Iend"; it must belong to this event.
            last = [k for k in own if int(k["at"]) == iend + 16]
            # The repair looks for "Iend" in 65 windows of 8 KB below the index start.
            if not last or iend < int(e["index_start"]) - 65 * 8192:
                continue  # no last key frame: the repair drops the event
            k = last[0]
            end = k["time"]
            length = int(k["offset"]) + int(k["length"]) - int(e["data_start"])
            index_end = int(k["at"])
        else:
            continue
        if int(e["skip"]) != 0:
            continue
        expected.add((int(e["channel"]), e["start"].replace("T", " "), end.replace("T", " "),
                      int(e["data_start"]), length, index_end, int(e["index_start"])))

    listing = run(emulator + [dump, "--build", version, "--channels", "16", image, "events",
                              "2024-02-01 00:00:00", "2024-02-29 23:59:59"])
    got = set()
    for line in listing.splitlines():
        m = re.match(r"ch (\d+) (\S+ \S+) - (\S+ \S+) type \S+ loc \S+ k \d+ data (\d+)\+(\d+) index (\d+)\.\.(\d+)$",
                     line)
        if not m:
            problems.append(f"unreadable event line: {line}")
            continue
        ch, start, end, ds, dl, ie, istart = m.groups()
        got.add((int(ch), start, end, int(ds), int(dl), int(ie), int(istart)))
    for missing in sorted(expected - got):
        problems.append(f"expected event not listed: {missing}")
    for extra in sorted(got - expected):
        problems.append(f"unexpected event listed: {extra}")

    before = digest(image)
    again = run(emulator + [dump, "--build", version, "--channels", "16", image, "mount"])
    if "repair success" in again:
        problems.append("the second mount repaired again")
    if digest(image) != before:
        problems.append("the second mount changed the image")

    for p in problems:
        print(p)
    if not problems:
        print(f"v{version}: {len(repaired)} channels repaired, {len(got)} events as predicted, second mount unchanged")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()

"""What the byte-level file checkers share: the failure they raise, little-endian
field reads, and the command-line frame that reads the two files, runs a check
and reports "ok" or why not (exit status 0 or 1)."""
import argparse
import struct
import sys

MAGIC = b"VkFm"
MAX_PAYLOAD = 512000 - 40


class Bad(Exception):
    pass


def expect(cond, what):
    if not cond:
        raise Bad(what)


def u16(b, at):
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    return struct.unpack_from("<I", b, at)[0]


def u64(b, at):
    return struct.unpack_from("<Q", b, at)[0]


def checker_main(name, doc, check, counts):
    """Runs check(file_bytes, stream_bytes, args) -> summary text; `counts` are
    the optional integer switches (e.g. "--frames") the check compares."""
    ap = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("file")
    ap.add_argument("stream")
    for switch in counts:
        ap.add_argument(switch, type=int)
    args = ap.parse_args()
    with open(args.file, "rb") as f:
        data = f.read()
    with open(args.stream, "rb") as f:
        stream = f.read()
    try:
        summary = check(data, stream, args)
    except Bad as e:
        print(f"{name}: {args.file}: {e}", file=sys.stderr)
        return 1
    except struct.error as e:
        print(f"{name}: {args.file}: truncated ({e})", file=sys.stderr)
        return 1
    print(f"{name}: {args.file}: {summary}, {len(data)} bytes: ok")
    return 0

#!/usr/bin/env python3
"""Writes the program's bitmaps and icons from a small text recipe.

Every picture is made of cells laid out left to right, each filled with its own
solid colour, so that a pixel probe of a window tells which cell (frame, state,
part) was drawn. A cell may keep a border of the transparency key 0xFF00FF, the
colour the program's transparent blits leave out.

Recipe: one picture per line, '#' starts a comment, fields are key=value:

    bitmap name=modebar.bmp size=1150x32 colors=1A2B3C
    bitmap name=strip.bmp   size=120x32  colors=203040,304050,405060,506070 key=2
    icon   name=app.ico     sizes=16,32,48 colors=2060A0 key=1

  bitmap  a 24-bit .bmp; `size` is one cell, the picture is one cell per colour
          wide; `key=N` leaves an N-pixel 0xFF00FF frame inside every cell;
          `glyph=NAME` draws a light sign in the middle of every cell (a
          button's meaning: play, pause, stop, ... see GLYPHS), leaving the
          cell's edges in its colour; `glyph=A,B,...` gives each cell its own
          sign, one per colour, '-' for none
  icon    an .ico with one 32-bit image per size, square, in the colour;
          `key=N` makes an N-pixel transparent frame

Colours are RRGGBB; within a picture they must be distinct and none may be the
key. Python standard library only: the tool runs on the build machine in the
Windows cross build too, where no host C++ compiler is set up.

    mkbitmaps.py RECIPE OUTPUT_DIR      write every picture
    mkbitmaps.py --list RECIPE          print the file names, one a line
"""

import struct
import sys
from pathlib import Path

KEY = (0xFF, 0x00, 0xFF)
MAX_SIDE = 4096
GLYPH_COLOR = (0xE0, 0xE0, 0xE0)


def _triangle(u, v, left, right, half):
    """A triangle pointing right, from x = left to x = right, half as tall."""
    return left <= u <= right and abs(v) <= half * (right - u) / (right - left)


def _frame(u, v, inner, outer):
    return inner <= max(abs(u), abs(v)) <= outer


def _near_segment(u, v, a, b, width):
    """Within `width` of the segment from point a to point b."""
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    return (u - ax - t * dx) ** 2 + (v - ay - t * dy) ** 2 <= width * width


# Signs on a square of side 2 centred on (0, 0); u grows to the right, v down.
GLYPHS = {
    "play": lambda u, v: _triangle(u, v, -0.5, 0.7, 0.7),
    "back": lambda u, v: _triangle(-u, v, -0.5, 0.7, 0.7),
    "pause": lambda u, v: abs(v) <= 0.7 and (0.15 <= abs(u) <= 0.55),
    "stop": lambda u, v: max(abs(u), abs(v)) <= 0.55,
    "slower": lambda u, v: _triangle(-u, v, -0.8, 0.0, 0.6) or _triangle(-u, v, 0.0, 0.8, 0.6),
    "faster": lambda u, v: _triangle(u, v, -0.8, 0.0, 0.6) or _triangle(u, v, 0.0, 0.8, 0.6),
    "step": lambda u, v: _triangle(u, v, -0.6, 0.3, 0.6) or (0.4 <= u <= 0.6 and abs(v) <= 0.6),
    "camera": lambda u, v: (abs(u) <= 0.8 and -0.4 <= v <= 0.6 and u * u + (v - 0.1) ** 2 >= 0.09)
    or (-0.3 <= u <= 0.3 and -0.6 <= v < -0.4),
    "record": lambda u, v: u * u + v * v <= 0.3,
    "play_all": lambda u, v: (-0.8 <= u <= -0.6 and abs(v) <= 0.6) or _triangle(u, v, -0.45, 0.75, 0.6),
    "stop_all": lambda u, v: (-0.8 <= u <= -0.6 and abs(v) <= 0.55) or (-0.4 <= u <= 0.7 and abs(v) <= 0.55),
    "download": lambda u, v: (abs(u) <= 0.15 and -0.7 <= v <= 0.1)
    or (0.1 <= v <= 0.6 and abs(u) <= 0.55 * (0.6 - v) / 0.5)
    or (abs(u) <= 0.7 and 0.7 <= v <= 0.85),
    "one_window": lambda u, v: _frame(u, v, 0.5, 0.7),
    "four_windows": lambda u, v: max(abs(u), abs(v)) <= 0.7
    and (max(abs(u), abs(v)) >= 0.55 or abs(u) <= 0.07 or abs(v) <= 0.07),
    "full_screen": lambda u, v: _frame(u, v, 0.55, 0.75) and abs(u) >= 0.3 and abs(v) >= 0.3,
    "chart": lambda u, v: v <= 0.7
    and ((-0.7 <= u <= -0.35 and v >= 0.1) or (-0.17 <= u <= 0.17 and v >= -0.6) or (0.35 <= u <= 0.7 and v >= -0.2)),
    "speaker": lambda u, v: (-0.7 <= u <= -0.35 and abs(v) <= 0.25)
    or (-0.35 <= u <= 0.3 and abs(v) <= 0.25 + (u + 0.35) * 0.7),
    "previous": lambda u, v: (-0.7 <= u <= -0.5 and abs(v) <= 0.6) or _triangle(-u, v, -0.7, 0.45, 0.6),
    "next": lambda u, v: (0.5 <= u <= 0.7 and abs(v) <= 0.6) or _triangle(u, v, -0.7, 0.45, 0.6),
    "open": lambda u, v: (abs(u) <= 0.8 and -0.3 <= v <= 0.6) or (-0.8 <= u <= -0.1 and -0.5 <= v < -0.3),
    "list": lambda u, v: abs(u) <= 0.7 and any(abs(v - row) <= 0.1 for row in (-0.5, 0.0, 0.5)),
    "plus": lambda u, v: (abs(u) <= 0.15 and abs(v) <= 0.7) or (abs(v) <= 0.15 and abs(u) <= 0.7),
    "minus": lambda u, v: abs(v) <= 0.15 and abs(u) <= 0.7,
    "cross": lambda u, v: abs(u) <= 0.7 and abs(v) <= 0.7 and (abs(u - v) <= 0.2 or abs(u + v) <= 0.2),
    "tools": lambda u, v: abs(v) <= 0.2 and any(abs(u - x) <= 0.2 for x in (-0.55, 0.0, 0.55)),
    "watermark": lambda u, v: abs(u) <= 0.7 and abs(v) <= 0.7 and abs(u + v) <= 0.35,
    "box": lambda u, v: _frame(u, v, 0.6, 0.8),
    "ticked_box": lambda u, v: _frame(u, v, 0.6, 0.8)
    or _near_segment(u, v, (-0.4, 0.0), (-0.1, 0.3), 0.13)
    or _near_segment(u, v, (-0.1, 0.3), (0.4, -0.35), 0.13),
}


class RecipeError(Exception):
    pass


def parse_color(text, where):
    text = text.strip()
    if len(text) != 6:
        raise RecipeError(f"{where}: colour '{text}' is not RRGGBB")
    try:
        value = int(text, 16)
    except ValueError:
        raise RecipeError(f"{where}: colour '{text}' is not RRGGBB") from None
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


def parse_int(text, where, what, low, high):
    try:
        value = int(text)
    except ValueError:
        raise RecipeError(f"{where}: {what} '{text}' is not a number") from None
    if not low <= value <= high:
        raise RecipeError(f"{where}: {what} {value} is outside {low}..{high}")
    return value


def parse_line(line, where):
    fields = line.split()
    kind = fields[0]
    if kind not in ("bitmap", "icon"):
        raise RecipeError(f"{where}: unknown picture kind '{kind}'")
    values = {}
    for field in fields[1:]:
        if "=" not in field:
            raise RecipeError(f"{where}: '{field}' is not key=value")
        key, value = field.split("=", 1)
        if key in values:
            raise RecipeError(f"{where}: '{key}' given twice")
        values[key] = value
    allowed = {"bitmap": {"name", "size", "colors", "key", "glyph"}, "icon": {"name", "sizes", "colors", "key"}}[kind]
    unknown = set(values) - allowed
    if unknown:
        raise RecipeError(f"{where}: unknown field(s) {', '.join(sorted(unknown))}")
    name = values.get("name", "")
    if not name or "/" in name or "\\" in name or name.startswith("."):
        raise RecipeError(f"{where}: a plain file name is needed (name=...)")
    colors = [parse_color(c, where) for c in values.get("colors", "").split(",") if c.strip()]
    if not colors:
        raise RecipeError(f"{where}: no colours")
    if len(set(colors)) != len(colors):
        raise RecipeError(f"{where}: colours must be distinct")
    if KEY in colors:
        raise RecipeError(f"{where}: FF00FF is the transparency key, not a cell colour")
    picture = {"kind": kind, "name": name, "colors": colors, "where": where}
    if kind == "bitmap":
        size = values.get("size", "")
        if "x" not in size:
            raise RecipeError(f"{where}: size must be WIDTHxHEIGHT")
        w, h = size.split("x", 1)
        picture["width"] = parse_int(w, where, "width", 1, MAX_SIDE)
        picture["height"] = parse_int(h, where, "height", 1, MAX_SIDE)
        if picture["width"] * len(colors) > MAX_SIDE:
            raise RecipeError(f"{where}: the picture would be wider than {MAX_SIDE}")
        smallest = min(picture["width"], picture["height"])
        glyphs = values["glyph"].split(",") if "glyph" in values else [None]
        if len(glyphs) == 1:
            glyphs = glyphs * len(colors)
        elif len(glyphs) != len(colors):
            raise RecipeError(f"{where}: {len(glyphs)} glyphs for {len(colors)} cells")
        for glyph in glyphs:
            if glyph is not None and glyph != "-" and glyph not in GLYPHS:
                raise RecipeError(f"{where}: unknown glyph '{glyph}' (known: {', '.join(sorted(GLYPHS))})")
        picture["glyphs"] = [None if g == "-" else g for g in glyphs]
    else:
        if len(colors) != 1:
            raise RecipeError(f"{where}: an icon has one colour")
        sizes = [parse_int(s, where, "icon size", 1, 256) for s in values.get("sizes", "").split(",") if s]
        if not sizes or len(set(sizes)) != len(sizes):
            raise RecipeError(f"{where}: icon sizes must be given, each once")
        picture["sizes"] = sizes
        smallest = min(sizes)
    picture["key"] = parse_int(values.get("key", "0"), where, "key", 0, MAX_SIDE)
    if picture["key"] * 2 >= smallest:
        raise RecipeError(f"{where}: a key frame of {picture['key']} leaves no colour")
    return picture


def read_recipe(path):
    pictures, names = [], set()
    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        picture = parse_line(line, f"{path}:{number}")
        if picture["name"].lower() in names:
            raise RecipeError(f"{path}:{number}: {picture['name']} is made twice")
        names.add(picture["name"].lower())
        pictures.append(picture)
    return pictures


def cell_pixel(x, y, width, height, key, color, glyph=None):
    inside = key <= x < width - key and key <= y < height - key
    if not inside:
        return KEY
    if glyph is not None:
        # The sign takes the middle 60 % of the cell's shorter side.
        half = min(width, height) * 0.3
        u = (x + 0.5 - width / 2) / half
        v = (y + 0.5 - height / 2) / half
        if abs(u) <= 1 and abs(v) <= 1 and GLYPHS[glyph](u, v):
            return GLYPH_COLOR
    return color


def bitmap_bytes(picture):
    cw, h, key, colors = picture["width"], picture["height"], picture["key"], picture["colors"]
    width = cw * len(colors)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = cell_pixel(x % cw, y, cw, h, key, colors[x // cw], picture["glyphs"][x // cw])
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, h, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def icon_image(size, key, color):
    pixels = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b = cell_pixel(x, y, size, size, key, color)
            transparent = (r, g, b) == KEY
            pixels += bytes((b, g, r, 0 if transparent else 255))
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + bytes(mask)


def icon_bytes(picture):
    images = [icon_image(s, picture["key"], picture["colors"][0]) for s in picture["sizes"]]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(picture["sizes"], images):
        dim = 0 if size == 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def write_all(pictures, out_dir):
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    for picture in pictures:
        data = bitmap_bytes(picture) if picture["kind"] == "bitmap" else icon_bytes(picture)
        target = out / picture["name"]
        temp = target.with_name(target.name + ".tmp")
        temp.write_bytes(data)
        temp.replace(target)  # a reader never sees half a file


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--list":
            for picture in read_recipe(argv[2]):
                print(picture["name"])
            return 0
        if len(argv) == 3:
            write_all(read_recipe(argv[1]), argv[2])
            return 0
    except (RecipeError, OSError) as error:
        print(f"mkbitmaps: {error}", file=sys.stderr)
        return 1
    print(__doc__.split("\n\n")[-1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))

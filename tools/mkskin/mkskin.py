#!/usr/bin/env python3
"""Makes the sources of a skin module from a skin's INI text and an image recipe.

The skin module is a resource-only DLL holding the INI text as a "TEXTFILE"
resource (UTF-16LE with a byte-order mark and CRLF line ends, every line
ended) and every image the INI names as a bitmap resource. Resource names
follow the skin reader's rule: the name as written in the INI, upper-cased,
with every '.' and '\\' turned into '_' ("NormalBlack.ini" is NORMALBLACK_INI,
"Images\\Caption.bmp" is IMAGES_CAPTION_BMP). A THEMES_INI resource names the
INI for a reader that is given none.

    mkskin.py INI RECIPE OUTPUT_DIR      write the resource script and its files
    mkskin.py --list INI RECIPE          print the names of those files

The INI must be ASCII. Every image file it names (IMAGEFILE, IMAGEFILE1..5,
GLYPHIMAGEFILE) must be drawn by the recipe, and the recipe may draw nothing
the INI does not name.

Recipe: 24-bit bitmaps made of cells, '#' starts a comment.

    image Images\\CloseButton.bmp cell=25x21 layout=h
    cell fill=key plate=3A3A3E inset=2 round=3 glyph=close ink=D0D0D4
    cell ...

An `image` line opens a picture: its path as the INI writes it, the size of
one cell, and the layout of the cells (h: left to right, v: top to bottom).
Each `cell` line adds a cell, drawn in this order:

    fill=RRGGBB|key    the whole cell ("key" is the transparency key FF00FF)
    shape=rect|round|circle  where the body goes (default rect: the whole cell)
    round=N corners=all|top|bottom   radius and corners of a round body
    body=RRGGBB        the body's colour (default: the fill)
    edge=RRGGBB        a one-pixel outline along the inside of the body
    line=RRGGBB side=top|bottom   a one-pixel line across the body
    plate=RRGGBB inset=N   a round-cornered plate (radius `round`, default 2)
    glyph=NAME ink=RRGGBB  a sign in the middle (see GLYPHS)
    code=C,P           the cell's colour encodes class C, part P and the
                       state (the cell's number from 1): red C*8, green P*6,
                       blue state*12 -- for state-coded test skins
"""

import math
import struct
import sys
from pathlib import Path

# The program's picture tool reads colours and numbers the same way. (No
# bytecode next to it: the build must not write into the source tree.)
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "mkbitmaps"))
from mkbitmaps import KEY, MAX_SIDE, RecipeError, parse_int  # noqa: E402
from mkbitmaps import parse_color as parse_rgb  # noqa: E402

IMAGE_PROPERTIES = {"IMAGEFILE", "GLYPHIMAGEFILE"} | {f"IMAGEFILE{n}" for n in range(1, 6)}


def _segment(u, v, ax, ay, bx, by, width):
    """Within `width` of the segment from (ax, ay) to (bx, by)."""
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(u - ax - t * dx, v - ay - t * dy) <= width


def _box(u, v, left, top, right, bottom, width):
    """The outline of a box, `width` thick, inside it."""
    inside = left <= u <= right and top <= v <= bottom
    return inside and min(u - left, right - u, v - top, bottom - v) <= width


def _triangle(u, v, direction):
    """A triangle pointing up, down, left or right."""
    a, b = {"up": (-v, u), "down": (v, u), "left": (-u, v), "right": (u, v)}[direction]
    return -0.5 <= a <= 0.5 and abs(b) <= 0.5 - a


# Signs on a square of side 2 centred on (0, 0); u grows to the right, v down.
GLYPHS = {
    "close": lambda u, v: _segment(u, v, -0.55, -0.55, 0.55, 0.55, 0.13) or _segment(u, v, -0.55, 0.55, 0.55, -0.55, 0.13),
    "maximize": lambda u, v: _box(u, v, -0.6, -0.6, 0.6, 0.6, 0.14) or (-0.6 <= u <= 0.6 and -0.6 <= v <= -0.32),
    "minimize": lambda u, v: -0.6 <= u <= 0.6 and 0.35 <= v <= 0.6,
    "restore": lambda u, v: _box(u, v, -0.65, -0.2, 0.3, 0.7, 0.13)
    or (_box(u, v, -0.3, -0.7, 0.65, 0.25, 0.13) and not (-0.65 < u < 0.3 and -0.2 < v < 0.7)),
    "help": lambda u, v: (abs(math.hypot(u, v + 0.3) - 0.38) <= 0.12 and not (u < 0 and v > -0.3))
    or (-0.1 <= u <= 0.1 and 0.0 <= v <= 0.3)
    or math.hypot(u, v - 0.55) <= 0.13,
    "up": lambda u, v: _triangle(u, v, "up"),
    "down": lambda u, v: _triangle(u, v, "down"),
    "left": lambda u, v: _triangle(u, v, "left"),
    "right": lambda u, v: _triangle(u, v, "right"),
    "check": lambda u, v: _segment(u, v, -0.65, 0.0, -0.2, 0.5, 0.16) or _segment(u, v, -0.2, 0.5, 0.65, -0.5, 0.16),
    "mixed": lambda u, v: abs(u) <= 0.5 and abs(v) <= 0.5,
    "dot": lambda u, v: math.hypot(u, v) <= 0.5,
    "plus": lambda u, v: (abs(u) <= 0.12 and abs(v) <= 0.6) or (abs(v) <= 0.12 and abs(u) <= 0.6),
    "minus": lambda u, v: abs(v) <= 0.12 and abs(u) <= 0.6,
    "grip": lambda u, v: any(abs(u - x) <= 0.12 and abs(v) <= 0.6 for x in (-0.45, 0.0, 0.45)),
    "grip_flat": lambda u, v: any(abs(v - y) <= 0.12 and abs(u) <= 0.6 for y in (-0.45, 0.0, 0.45)),
}


def parse_color(text, where):
    return KEY if text == "key" else parse_rgb(text, where)


def parse_fields(fields, where, allowed):
    values = {}
    for field in fields:
        if "=" not in field:
            raise RecipeError(f"{where}: '{field}' is not key=value")
        key, value = field.split("=", 1)
        if key not in allowed:
            raise RecipeError(f"{where}: unknown field '{key}'")
        if key in values:
            raise RecipeError(f"{where}: '{key}' given twice")
        values[key] = value
    return values


CELL_FIELDS = {"fill", "shape", "round", "corners", "body", "edge", "line", "side", "plate", "inset", "glyph", "ink", "code"}


def parse_cell(fields, where):
    values = parse_fields(fields, where, CELL_FIELDS)
    cell = {"where": where}
    for key in ("fill", "body", "edge", "line", "plate", "ink"):
        if key in values:
            cell[key] = parse_color(values[key], where)
    cell["shape"] = values.get("shape", "rect")
    if cell["shape"] not in ("rect", "round", "circle"):
        raise RecipeError(f"{where}: unknown shape '{cell['shape']}'")
    cell["round"] = parse_int(values.get("round", "2"), where, "radius", 0, 64)
    cell["corners"] = values.get("corners", "all")
    if cell["corners"] not in ("all", "top", "bottom"):
        raise RecipeError(f"{where}: corners must be all, top or bottom")
    cell["side"] = values.get("side", "bottom")
    if cell["side"] not in ("top", "bottom"):
        raise RecipeError(f"{where}: side must be top or bottom")
    cell["inset"] = parse_int(values.get("inset", "0"), where, "inset", 0, 64)
    glyph = values.get("glyph")
    if glyph is not None and glyph not in GLYPHS:
        raise RecipeError(f"{where}: unknown glyph '{glyph}' (known: {', '.join(sorted(GLYPHS))})")
    if glyph is not None and "ink" not in cell:
        raise RecipeError(f"{where}: a glyph needs its ink")
    cell["glyph"] = glyph
    if "code" in values:
        parts = values["code"].split(",")
        if len(parts) != 2:
            raise RecipeError(f"{where}: code=CLASS,PART")
        cell["code"] = (parse_int(parts[0], where, "class", 1, 30), parse_int(parts[1], where, "part", 0, 42))
    if "fill" not in cell and "code" not in cell:
        raise RecipeError(f"{where}: a cell needs fill= or code=")
    return cell


def read_recipe(path):
    images, names = [], set()
    current = None
    for number, raw in enumerate(Path(path).read_text(encoding="ascii").splitlines(), 1):
        where = f"{path}:{number}"
        fields = raw.split("#", 1)[0].split()
        if not fields:
            continue
        if fields[0] == "image":
            if len(fields) < 2:
                raise RecipeError(f"{where}: image PATH cell=WxH layout=h|v")
            values = parse_fields(fields[2:], where, {"cell", "layout"})
            size = values.get("cell", "")
            if "x" not in size:
                raise RecipeError(f"{where}: cell=WIDTHxHEIGHT is needed")
            width, height = (parse_int(s, where, "cell side", 1, MAX_SIDE) for s in size.split("x", 1))
            layout = values.get("layout", "h")
            if layout not in ("h", "v"):
                raise RecipeError(f"{where}: layout must be h or v")
            name = resource_name(fields[1])
            if name in names:
                raise RecipeError(f"{where}: {fields[1]} is drawn twice")
            names.add(name)
            current = {"path": fields[1], "name": name, "width": width, "height": height, "layout": layout,
                       "cells": [], "where": where}
            images.append(current)
        elif fields[0] == "cell":
            if current is None:
                raise RecipeError(f"{where}: a cell before any image")
            current["cells"].append(parse_cell(fields[1:], where))
        else:
            raise RecipeError(f"{where}: unknown line '{fields[0]}'")
    for image in images:
        count = len(image["cells"])
        if count == 0:
            raise RecipeError(f"{image['where']}: {image['path']} has no cells")
        along = image["width"] if image["layout"] == "h" else image["height"]
        if along * count > MAX_SIDE:
            raise RecipeError(f"{image['where']}: {image['path']} would be larger than {MAX_SIDE}")
    return images


def resource_name(path):
    return path.upper().replace(".", "_").replace("\\", "_")


def in_round_rect(x, y, w, h, radius, corners):
    """Whether pixel (x, y) lies in a w x h rectangle whose chosen corners are round."""
    if radius <= 0:
        return True
    top = corners in ("all", "top")
    bottom = corners in ("all", "bottom")
    cx = radius if x < radius else (w - 1 - radius if x > w - 1 - radius else None)
    if cx is None:
        return True
    if y < radius and top:
        cy = radius
    elif y > h - 1 - radius and bottom:
        cy = h - 1 - radius
    else:
        return True
    return math.hypot(x - cx, y - cy) <= radius + 0.3


def draw_cell(cell, w, h, state):
    """The cell's pixels as rows of (r, g, b)."""
    if "code" in cell:
        klass, part = cell["code"]
        fill = (klass * 8, part * 6, state * 12)
    else:
        fill = cell["fill"]
    pixels = [[fill] * w for _ in range(h)]
    body = cell.get("body", fill)
    shape = cell["shape"]

    def inside(x, y):
        if not (0 <= x < w and 0 <= y < h):
            return False
        if shape == "circle":
            return math.hypot(x + 0.5 - w / 2, y + 0.5 - h / 2) <= min(w, h) / 2
        if shape == "round":
            return in_round_rect(x, y, w, h, cell["round"], cell["corners"])
        return True

    if shape != "rect" or "body" in cell:
        for y in range(h):
            for x in range(w):
                pixels[y][x] = body if inside(x, y) else KEY if shape != "rect" else fill
    if "edge" in cell:
        for y in range(h):
            for x in range(w):
                if inside(x, y) and not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                    pixels[y][x] = cell["edge"]
    if "line" in cell:
        y = h - 1 if cell["side"] == "bottom" else 0
        for x in range(w):
            if inside(x, y):
                pixels[y][x] = cell["line"]
    if "plate" in cell:
        inset = cell["inset"]
        pw, ph = w - 2 * inset, h - 2 * inset
        for y in range(ph):
            for x in range(pw):
                if in_round_rect(x, y, pw, ph, cell["round"], "all"):
                    pixels[y + inset][x + inset] = cell["plate"]
    if cell["glyph"]:
        # The sign takes the middle 60 % of the cell's shorter side.
        half = min(w, h) * 0.3
        sign = GLYPHS[cell["glyph"]]
        for y in range(h):
            for x in range(w):
                u = (x + 0.5 - w / 2) / half
                v = (y + 0.5 - h / 2) / half
                if abs(u) <= 1 and abs(v) <= 1 and sign(u, v):
                    pixels[y][x] = cell["ink"]
    return pixels


def bitmap_bytes(image):
    w, h, cells = image["width"], image["height"], image["cells"]
    drawn = [draw_cell(cell, w, h, n + 1) for n, cell in enumerate(cells)]
    if image["layout"] == "h":
        width, height = w * len(cells), h
        rows = [[px for cell in drawn for px in cell[y]] for y in range(h)]
    else:
        width, height = w, h * len(cells)
        rows = [row for cell in drawn for row in cell]
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + bytes(data)


def read_ini(path):
    """The INI's lines and the image paths it names."""
    raw = Path(path).read_bytes()
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError as error:
        raise RecipeError(f"{path}: not ASCII ({error})") from None
    lines = text.splitlines()
    named = {}
    for number, line in enumerate(lines, 1):
        body = line.split(";", 1)[0].strip()
        if "=" not in body or body.startswith("["):
            continue
        name, value = (part.strip() for part in body.split("=", 1))
        if name.upper() in IMAGE_PROPERTIES and value:
            named.setdefault(resource_name(value), f"{path}:{number}")
    return lines, named


def utf16_text(lines):
    return "\ufeff".encode("utf-16-le") + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def outputs(ini_path, images):
    ini_name = Path(ini_path).name
    files = [ini_name + ".u16", "themes.ini.u16", "skin.rc"]
    return files + [image["name"] + ".bmp" for image in images]


def check(ini_path, images):
    _, named = read_ini(ini_path)
    drawn = {image["name"] for image in images}
    for name, where in sorted(named.items()):
        if name not in drawn:
            raise RecipeError(f"{where}: the recipe draws no image for {name}")
    for image in images:
        if image["name"] not in named:
            raise RecipeError(f"{image['where']}: {image['path']} is named nowhere in {ini_path}")


def write_file(target, data):
    temp = target.with_name(target.name + ".tmp")
    temp.write_bytes(data)
    temp.replace(target)  # a reader never sees half a file


def write_all(ini_path, images, out_dir):
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    lines, _ = read_ini(ini_path)
    ini_name = Path(ini_path).name
    stem = ini_name.rsplit(".", 1)[0]
    write_file(out / (ini_name + ".u16"), utf16_text(lines))
    write_file(out / "themes.ini.u16", utf16_text([f"[File.{stem}]"]))
    rc = [f"// Made by tools/mkskin/mkskin.py from {Path(ini_path).name}; do not edit.",
          f'{resource_name(ini_name)} TEXTFILE "{ini_name}.u16"',
          'THEMES_INI TEXTFILE "themes.ini.u16"']
    for image in images:
        write_file(out / (image["name"] + ".bmp"), bitmap_bytes(image))
        rc.append(f'{image["name"]} BITMAP "{image["name"]}.bmp"')
    write_file(out / "skin.rc", ("\n".join(rc) + "\n").encode("ascii"))


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "--list":
            images = read_recipe(argv[3])
            check(argv[2], images)
            for name in outputs(argv[2], images):
                print(name)
            return 0
        if len(argv) == 4:
            images = read_recipe(argv[2])
            check(argv[1], images)
            write_all(argv[1], images, argv[3])
            return 0
        print(__doc__, file=sys.stderr)
        return 2
    except (RecipeError, OSError) as error:
        print(f"mkskin: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Checks of mkbitmaps.py: the pictures it writes, read back byte by byte, and
the recipes it refuses."""

import struct
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import mkbitmaps  # noqa: E402


def read_bmp(data):
    """(width, height, pixel(x, y) -> (r, g, b)) of a 24-bit bottom-up .bmp."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and size == len(data)
    _, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    assert bits == 24 and height > 0
    stride = (width * 3 + 3) & ~3

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + x * 3
        b, g, r = data[at:at + 3]
        return (r, g, b)

    return width, height, pixel


class PictureTest(unittest.TestCase):
    def make(self, recipe_text):
        folder = Path(tempfile.mkdtemp())
        recipe = folder / "pictures.txt"
        recipe.write_text(recipe_text, encoding="utf-8")
        self.assertEqual(mkbitmaps.main(["mkbitmaps", str(recipe), str(folder / "out")]), 0)
        return folder / "out"

    def test_cells_are_laid_out_left_to_right_with_a_key_frame(self):
        out = self.make("bitmap name=strip.bmp size=30x20 colors=203040,304050,405060,506070 key=2\n")
        width, height, pixel = read_bmp((out / "strip.bmp").read_bytes())
        self.assertEqual((width, height), (120, 20))
        for cell, color in enumerate([(0x20, 0x30, 0x40), (0x30, 0x40, 0x50), (0x40, 0x50, 0x60), (0x50, 0x60, 0x70)]):
            left = cell * 30
            self.assertEqual(pixel(left + 15, 10), color)
            self.assertEqual(pixel(left + 2, 2), color)      # first pixel inside the frame
            self.assertEqual(pixel(left + 1, 10), mkbitmaps.KEY)
            self.assertEqual(pixel(left + 29, 19), mkbitmaps.KEY)
            self.assertEqual(pixel(left + 27, 17), color)

    def test_odd_widths_are_padded_per_row(self):
        out = self.make("bitmap name=odd.bmp size=3x2 colors=010203\n")
        width, height, pixel = read_bmp((out / "odd.bmp").read_bytes())
        self.assertEqual((width, height), (3, 2))
        self.assertEqual({pixel(x, y) for x in range(3) for y in range(2)}, {(1, 2, 3)})

    def test_icon_has_one_image_per_size_and_a_transparent_frame(self):
        out = self.make("icon name=app.ico sizes=16,32 colors=2060A0 key=1\n")
        data = (out / "app.ico").read_bytes()
        _, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((kind, count), (1, 2))
        for index, size in enumerate((16, 32)):
            w, h, _, _, planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * index)
            self.assertEqual((w, h, planes, bits), (size, size, 1, 32))
            _, dib_w, dib_h = struct.unpack_from("<Iii", data, offset)
            self.assertEqual((dib_w, dib_h), (size, size * 2))
            pixels = offset + 40
            b, g, r, a = data[pixels:pixels + 4]  # bottom-left corner: in the frame
            self.assertEqual(a, 0)
            centre = pixels + ((size // 2) * size + size // 2) * 4
            self.assertEqual(tuple(data[centre:centre + 4]), (0xA0, 0x60, 0x20, 255))
            mask = pixels + size * size * 4
            self.assertEqual(data[mask] & 0x80, 0x80)  # the frame is masked out
            self.assertLessEqual(offset + length, len(data))

    def test_a_glyph_marks_the_middle_of_every_cell_and_leaves_the_edges(self):
        out = self.make("bitmap name=stop.bmp size=35x25 colors=204024,306034 glyph=stop\n")
        _, _, pixel = read_bmp((out / "stop.bmp").read_bytes())
        for cell, color in enumerate([(0x20, 0x40, 0x24), (0x30, 0x60, 0x34)]):
            left = cell * 35
            self.assertEqual(pixel(left + 17, 12), mkbitmaps.GLYPH_COLOR)
            for x, y in ((left, 0), (left + 34, 24), (left + 3, 12), (left + 17, 2)):
                self.assertEqual(pixel(x, y), color)

    def test_each_cell_can_have_its_own_glyph_or_none(self):
        out = self.make("bitmap name=nav.bmp size=20x18 colors=404850,405060,406070 glyph=back,-,play\n")
        _, _, pixel = read_bmp((out / "nav.bmp").read_bytes())
        for left, color in ((0, (0x40, 0x48, 0x50)), (40, (0x40, 0x60, 0x70))):
            self.assertEqual(pixel(left + 8, 9), mkbitmaps.GLYPH_COLOR)
            self.assertEqual(pixel(left + 14, 9), color)
        self.assertEqual(pixel(20 + 10, 9), (0x40, 0x50, 0x60))  # no sign
        self.assertEqual(pixel(12, 5), mkbitmaps.GLYPH_COLOR)  # back: the wide end right
        self.assertEqual(pixel(40 + 12, 5), (0x40, 0x60, 0x70))  # play: the point right

    def test_list_names_every_output(self):
        folder = Path(tempfile.mkdtemp())
        recipe = folder / "r.txt"
        recipe.write_text("# header\nbitmap name=a.bmp size=2x2 colors=000001\n\nicon name=b.ico sizes=16 colors=000002 # x\n")
        self.assertEqual([p["name"] for p in mkbitmaps.read_recipe(recipe)], ["a.bmp", "b.ico"])


class RecipeErrorTest(unittest.TestCase):
    BAD = {
        "same colour twice": "bitmap name=a.bmp size=2x2 colors=010101,010101",
        "the key as a colour": "bitmap name=a.bmp size=2x2 colors=FF00FF",
        "colour not RRGGBB": "bitmap name=a.bmp size=2x2 colors=12345",
        "no colours": "bitmap name=a.bmp size=2x2",
        "zero width": "bitmap name=a.bmp size=0x2 colors=010101",
        "huge picture": "bitmap name=a.bmp size=4000x2 colors=010101,020202",
        "size without x": "bitmap name=a.bmp size=22 colors=010101",
        "key eats the cell": "bitmap name=a.bmp size=4x4 colors=010101 key=2",
        "unknown field": "bitmap name=a.bmp size=2x2 colors=010101 frames=3",
        "path as name": "bitmap name=../a.bmp size=2x2 colors=010101",
        "unknown kind": "cursor name=a.cur size=2x2 colors=010101",
        "unknown glyph": "bitmap name=a.bmp size=9x9 colors=010101 glyph=rewind",
        "glyphs not one per cell": "bitmap name=a.bmp size=9x9 colors=010101,020202,030303 glyph=play,back",
        "glyph on an icon": "icon name=a.ico sizes=16 colors=010101 glyph=play",
        "icon of two colours": "icon name=a.ico sizes=16 colors=010101,020202",
        "icon too large": "icon name=a.ico sizes=300 colors=010101",
        "same name twice": "bitmap name=a.bmp size=2x2 colors=010101\nbitmap name=A.bmp size=2x2 colors=020202",
    }

    def test_bad_recipes_are_refused_with_their_line(self):
        folder = Path(tempfile.mkdtemp())
        for label, text in self.BAD.items():
            with self.subTest(label):
                recipe = folder / "r.txt"
                recipe.write_text(text + "\n")
                with self.assertRaises(mkbitmaps.RecipeError) as caught:
                    mkbitmaps.read_recipe(recipe)
                self.assertIn(str(recipe) + ":", str(caught.exception))
                self.assertNotEqual(mkbitmaps.main(["mkbitmaps", str(recipe), str(folder / "out")]), 0)


if __name__ == "__main__":
    unittest.main()

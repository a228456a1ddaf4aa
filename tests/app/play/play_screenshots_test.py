#!/usr/bin/env python3
"""Screenshots of the disk playback page with four rows of recordings on its
time bar, at zoom 0 (the whole day) and zoom 3 (three hours): runs the window
test that draws them under Wine and converts its bitmaps to PNG with
ImageMagick, as <build>/screenshots/timebar_zoom0.png and timebar_zoom3.png.

    play_screenshots_test.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]
BUILD = None


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class PlayScreenshots(unittest.TestCase):
    def test_timebar_at_two_zoom_levels(self):
        out = BUILD / "screenshots"
        out.mkdir(exist_ok=True)
        for zoom in (0, 3):
            for suffix in (".bmp", ".png"):
                (out / f"timebar_zoom{zoom}{suffix}").unlink(missing_ok=True)
        run = subprocess.run(
            [str(REPO / "scripts" / "wine-run"), "--build", str(BUILD),
             str(BUILD / "testbin" / "play_windows_tests.exe"),
             "--gtest_filter=DiskPage.ScreenshotsOfFourRowsAtTwoZoomLevels"],
            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=100,
            env={**os.environ, "VEK_WINE_RETRY": "0", "VEK_SCREENSHOT_DIR": windows_path(out)})
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        convert = shutil.which("convert") or shutil.which("magick")
        self.assertIsNotNone(convert, "ImageMagick is needed")
        shots = []
        for zoom in (0, 3):
            bmp, png = out / f"timebar_zoom{zoom}.bmp", out / f"timebar_zoom{zoom}.png"
            self.assertTrue(bmp.is_file(), bmp)
            subprocess.run([convert, str(bmp), str(png)], check=True, timeout=60)
            self.assertGreater(png.stat().st_size, 0)
            shots.append(bmp.read_bytes())
        self.assertNotEqual(shots[0], shots[1], "the two zoom levels look the same")


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

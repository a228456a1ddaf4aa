#!/usr/bin/env python3
"""Screenshots of the playback side and the files its panes write, made by the
window tests under Wine and checked here:

  * the disk playback page with four rows of recordings on its time bar, at
    zoom 0 (the whole day) and zoom 3 (three hours): <build>/screenshots/
    timebar_zoom0.png and timebar_zoom3.png;
  * the disk playback page with its sensor panel showing a day of speeds
    from a GPS table the test fills: <build>/screenshots/sensor_panel.png;
  * four panes playing a generated recorder disk through the real libraries:
    <build>/screenshots/play_panes.png;
  * the clip a pane recorded: cut from the record it played, it must hold an
    unbroken run of that record's frames, which the independent AVI checker
    (tests/media/avicheck.py) verifies chunk by chunk.

Bitmaps become PNG through ImageMagick.

    play_screenshots_test.py BUILD_DIR
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]
AVICHECK = REPO / "tests" / "media" / "avicheck.py"
BUILD = None
MAGIC = b"VkFm"
MAX_PAYLOAD = 512000 - 40


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run_window_test(program, test_filter, env):
    run = subprocess.run(
        [str(REPO / "scripts" / "wine-run"), "--build", str(BUILD), str(BUILD / "testbin" / program),
         "--gtest_filter=" + test_filter],
        stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=200,
        env={**os.environ, "VEK_TEST_ALONE": "1", **env})
    return run  # a failed run's check shows its output, a start Wine failed among it


def to_png(testcase, bmp, png):
    convert = shutil.which("convert") or shutil.which("magick")
    testcase.assertIsNotNone(convert, "ImageMagick is needed")
    testcase.assertTrue(bmp.is_file(), bmp)
    subprocess.run([convert, str(bmp), str(png)], check=True, timeout=60)
    testcase.assertGreater(png.stat().st_size, 0)


def clip_frame_times(avi):
    """The times of the clip's video frames, from the list after its index."""
    idx1 = 2044 + struct.unpack_from("<I", avi, 2040)[0]
    if avi[idx1:idx1 + 4] != b"idx1":
        raise ValueError("no idx1 where the movi list ends")
    tail = idx1 + 8 + struct.unpack_from("<I", avi, idx1 + 4)[0]
    if avi[tail:tail + 4] != b"JUNK":
        raise ValueError("no frame-time list after idx1")
    count = struct.unpack_from("<I", avi, tail + 4)[0] // 8
    return struct.unpack_from(f"<{count}Q", avi, tail + 8)


def frames_between(stream, first, last):
    """The record's whole frames (header and payload) whose time lies in first..last."""
    out = bytearray()
    pos = 0
    while True:
        at = stream.find(MAGIC, pos)
        if at < 0 or len(stream) - at < 40:
            break
        length = struct.unpack_from("<I", stream, at + 12)[0]
        end = at + 40 + length
        if length > MAX_PAYLOAD or end > len(stream):
            pos = at + 4
            continue
        if first <= struct.unpack_from("<Q", stream, at + 16)[0] <= last:
            out += stream[at:end]
        pos = end
    return bytes(out)


class PlayScreenshots(unittest.TestCase):
    def test_timebar_at_two_zoom_levels(self):
        out = BUILD / "screenshots"
        out.mkdir(exist_ok=True)
        for zoom in (0, 3):
            for suffix in (".bmp", ".png"):
                (out / f"timebar_zoom{zoom}{suffix}").unlink(missing_ok=True)
        run = run_window_test("play_windows_tests.exe", "DiskPage.ScreenshotsOfFourRowsAtTwoZoomLevels",
                              {"VEK_SCREENSHOT_DIR": windows_path(out)})
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        shots = []
        for zoom in (0, 3):
            bmp, png = out / f"timebar_zoom{zoom}.bmp", out / f"timebar_zoom{zoom}.png"
            to_png(self, bmp, png)
            shots.append(bmp.read_bytes())
        self.assertNotEqual(shots[0], shots[1], "the two zoom levels look the same")

    def test_sensor_panel_with_a_curve(self):
        out = BUILD / "screenshots"
        out.mkdir(exist_ok=True)
        for suffix in (".bmp", ".png"):
            (out / f"sensor_panel{suffix}").unlink(missing_ok=True)
        run = run_window_test("sensor_windows_tests.exe", "SensorPanel.ScreenshotOfTheDiskPageWithTheSpeedOfADay",
                              {"VEK_SCREENSHOT_DIR": windows_path(out)})
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        to_png(self, out / "sensor_panel.bmp", out / "sensor_panel.png")

    def test_four_panes_playing_and_a_clip_of_one(self):
        out = BUILD / "screenshots"
        out.mkdir(exist_ok=True)
        for suffix in (".bmp", ".png"):
            (out / f"play_panes{suffix}").unlink(missing_ok=True)
        with tempfile.TemporaryDirectory(dir=BUILD) as folder:
            files = Path(folder)
            run = run_window_test(
                "play_pane_wine_tests.exe",
                "PanesOnDisk.ScreenshotOfFourPanesPlaying:PanesOnDisk.ASnapshotAndAClipAreWrittenUnderTheConfiguredFolders",
                {"VEK_SCREENSHOT_DIR": windows_path(out), "VEK_PLAY_OUT": windows_path(files)})
            self.assertEqual(run.returncode, 0, run.stdout[-4000:] + run.stderr[-4000:])
            to_png(self, out / "play_panes.bmp", out / "play_panes.png")

            test_folder = files / "ASnapshotAndAClipAreWrittenUnderTheConfiguredFolders"
            clips = sorted((test_folder / "clip").rglob("ch01-*.avi"))
            self.assertEqual(len(clips), 1, clips)
            avi = clips[0].read_bytes()
            times = clip_frame_times(avi)
            self.assertGreater(len(times), 20, "a clip of several seconds")
            source = frames_between((test_folder / "ch01-record.264").read_bytes(), times[0], times[-1])
            cut = test_folder / "clip-source.264"
            cut.write_bytes(source)
            check = subprocess.run([sys.executable, str(AVICHECK), str(clips[0]), str(cut),
                                    "--video", str(len(times))],
                                   capture_output=True, text=True, timeout=60)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

#!/usr/bin/env python3
"""Movarel.exe's File Play page driven from outside under Wine
(tests/gui/gui_driver.py), on files made for the test:

- an AVI file with real H.264 (Debian's ffmpeg, then the program's own frame
  stream tool and AVI writer) and a .264 container file of synthetic frames
  (the playback library shows each as a frame card with a marker of its time),
  opened through the open popup and the control bar: each plays, its time text
  advances, the AVI shows a decoded picture, x4 and x1/4 change the pace, a
  seek to the middle shows the frame at that time, a snapshot lands at
  Capture\\<label>\\<date>\\<file name>\\YYYYMMDD-hhmmss.bmp, the end of a file
  plays the next row and the end of the last row stops and shows the popup;
- a folder of 300 video files (and some the scan passes over) scanned while
  the user keeps clicking: the page answers all along and lists them all;
- 40 files with long names chosen at once in the play list's open dialog (a
  selection longer than 1,024 characters): all of them are added.

The program runs from a folder of its own (links to the build's deliverables)
with an ini file that points the snapshots into the test's folder. The folder
browser offers drives, not Z:'s folders, so the scanned folder is reached
through drive Y:, made for the test like the disk review's X:.

    file_play_test.py BUILD_DIR
"""

import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from datetime import datetime, timezone
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_driver import DriverError, WineGui  # noqa: E402
from disk_review_test import copy_program, read_card_marker, screen_area, stop, wait_for, win_path, wine  # noqa: E402

BUILD = None
REPO = Path(__file__).resolve().parents[2]

WM_NULL, WM_CLOSE, WM_COMMAND = 0x0000, 0x0010, 0x0111
WM_BMPSLIDER_CHANGED = 0x28D2
IDOK = 1
# The mode bar (res/resource.h) and the file player (res/file_play_ids.h).
MODE_LOCAL, MODE_FILE = 1021, 1184
VIDEO = 1000
SPEED_DOWN, SPEED_UP, PLAY, SEEK, OPEN, CAPTURE, LIST_SHOW, TIME, STATE = (
    1014, 1015, 1184, 1195, 1201, 1202, 1203, 1213, 1215)
PAUSE = 1185
CONVERT, EXPORT = 4640, 4641
ROWS, ADD = 1186, 1191
POPUP_OPEN, POPUP_FOLDER = 1210, 1211
FILE_NAME = 1148  # the file dialog's name box
# mkstream's first frame: 2024-03-05 12:00:00 UTC.
FIRST_SECOND = 1709640000
LETTER = "Y"


def children(gui, window):
    """The direct children: [(handle, control id)]."""
    return [(line.split()[0], int(line.split()[1])) for line in gui.drive("children", window=window).splitlines()]


def played_seconds(text):
    """The played part of "00:01:02 / 00:02:00", in seconds."""
    h, m, s = (int(v) for v in text.split(" / ")[0].split(":"))
    return h * 3600 + m * 60 + s


class FilePage:
    """The File Play page of a running Movarel.exe: its play list, control
    bar, open popup and video window."""

    def __init__(self, gui, main):
        self.gui = gui
        pages = [w for w, _ in children(gui, main) if VIDEO in [c for _, c in children(gui, w)]]
        assert len(pages) == 1, pages
        self.page = pages[0]
        for window, control in children(gui, self.page):
            inside = [c for _, c in children(gui, window)]
            if control == VIDEO:
                self.video = window
            elif SEEK in inside:
                self.bar = window
            elif ROWS in inside:
                self.list = window
            elif POPUP_OPEN in inside:
                self.popup = window

    def state(self):
        return self.gui.text(self.bar, id=STATE)

    def time_text(self):
        return self.gui.text(self.bar, id=TIME)

    def rows(self):
        return [(texts[0], image) for texts, image in self.gui.list_rows(self.list, id=ROWS)]

    def popup_shown(self):
        return self.gui.state(self.popup)["visible"] == 1

    def choose_files(self, button_window, button, text):
        """Clicks the button that opens the file dialog and chooses `text`."""
        self.gui.click(button_window, button)
        dialog = self.gui.find(caption="Select Video File", cls="#32770", timeout=30000)
        self.gui.set_text(dialog, text, id=FILE_NAME)
        self.gui.click(dialog, IDOK)
        return dialog

    def wait_playing(self, name, length):
        """Waits until `name` is the playing row and the time shows `length`."""
        wait_for(lambda: self.state() == "x1" and self.time_text().endswith(" / " + length)
                 and (name, 1) in self.rows(), f"{name} playing")

    def seek(self, second):
        self.gui.post(self.bar, WM_BMPSLIDER_CHANGED, SEEK, second)

    def pace(self, seconds):
        """Seconds of the file played during `seconds` of the clock."""
        before = played_seconds(self.time_text())
        time.sleep(seconds)
        return played_seconds(self.time_text()) - before

    def picture(self, shot):
        rect = self.gui.state(self.video)["rect"]
        return screen_area(self.gui, self.gui.screenshot(shot), rect)


class FilePlayTest(unittest.TestCase):
    def setUp(self):
        self.gui = WineGui(BUILD)
        self.work = Path(tempfile.mkdtemp(prefix="vek_fileplay_"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def start(self):
        """Movarel.exe from a folder of its own, with snapshots under the test's
        folder, shown on its File Play page: (program, main window, page)."""
        program = self.work / "program"
        copy_program(self.gui, program)
        self.capture = self.work / "capture"
        (program / "Config" / "Lumerad.ini").write_text(f"[Path]\r\nCapturePath={win_path(self.capture)}\r\n")
        trace = self.work / "trace.txt"
        app = self.gui.start(str(program / "Movarel.exe"), env={"VEK_STARTUP_TRACE": win_path(trace)})
        self.addCleanup(stop, app)
        wait_for(lambda: "DoModal" in (trace.read_text() if trace.exists() else "") or not app.running(),
                 "the main window")
        self.assertTrue(app.running(), "Movarel.exe ended during its start-up")
        main = self.gui.find(caption="Corvane Movarel", cls="#32770", timeout=30000)
        bar = [w for w, _ in children(self.gui, main) if MODE_LOCAL in [c for _, c in children(self.gui, w)]][0]
        self.gui.click(bar, MODE_FILE)
        page = FilePage(self.gui, main)
        wait_for(lambda: self.gui.state(page.page)["visible"] == 1, "the File Play page")
        return app, main, page

    def close(self, app, main):
        self.gui.post(main, WM_CLOSE)
        self.gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)

    def make_videos(self):
        """clip.avi: 24 s of real H.264 through the AVI writer; cards.264: 120 s
        of synthetic frames in the .264 container."""
        h264, raw, cards = self.work / "real.h264", self.work / "real_raw.264", self.work / "cards_raw.264"
        subprocess.run([str(REPO / "tools" / "make-test-h264"), str(h264), "", "352x288", "24", "high"], check=True)
        wine(self.gui, self.gui.bin("mkstream.exe"), "--h264", win_path(h264), "-o", win_path(raw))
        wine(self.gui, self.gui.bin("vkwrite.exe"), "--avi", win_path(raw), win_path(self.work / "clip.avi"))
        wine(self.gui, self.gui.bin("mkstream.exe"), "--seconds", "120", "-o", win_path(cards))
        wine(self.gui, self.gui.bin("vkwrite.exe"), "--264", win_path(cards), win_path(self.work / "cards.264"))

    def test_plays_an_avi_and_a_264_file_with_speeds_seek_snapshot_and_the_end(self):
        self.make_videos()
        app, main, page = self.start()
        self.assertTrue(page.popup_shown())
        self.assertEqual(page.state(), "x0")

        # The AVI: real H.264, decoded.
        page.choose_files(page.popup, POPUP_OPEN, win_path(self.work / "clip.avi"))
        page.wait_playing("clip.avi", "00:00:23")
        self.assertFalse(page.popup_shown())
        start = played_seconds(page.time_text())
        wait_for(lambda: played_seconds(page.time_text()) >= start + 2, "the AVI's time advancing")
        width, pixels = page.picture(self.work / "avi.png")
        self.assertIsNone(read_card_marker(pixels, width, len(pixels)))  # a picture, not a card
        colours = {pixels[y][x] for y in range(0, len(pixels), 16) for x in range(0, width, 16)}
        self.assertGreater(len(colours), 8)
        shots = self.gui.build / "screenshots"
        shots.mkdir(exist_ok=True)
        self.gui.screenshot(shots / "file_play.png")

        # A snapshot, at the capture folder, the source label, today, the file name.
        before = datetime.now(timezone.utc).replace(microsecond=0)
        self.gui.click(page.bar, CAPTURE)
        self.assertIn("Capture success", self.gui.answer_box(IDOK))
        after = datetime.now(timezone.utc)
        folder = self.capture / "Local" / before.strftime("%Y-%m-%d") / "clip.avi"
        snapshots = sorted(folder.glob("*.bmp"))
        self.assertEqual(len(snapshots), 1, list(self.capture.rglob("*")))
        taken = datetime.strptime(snapshots[0].stem, "%Y%m%d-%H%M%S").replace(tzinfo=timezone.utc)
        self.assertTrue(before <= taken <= after, (before, taken, after))
        data = snapshots[0].read_bytes()
        self.assertEqual(data[:2], b"BM")
        self.assertEqual(int.from_bytes(data[28:30], "little"), 24)

        # The .264 file from the bar's Open button: listed before the AVI, plays.
        page.choose_files(page.bar, OPEN, win_path(self.work / "cards.264"))
        page.wait_playing("cards.264", "00:01:59")
        self.assertEqual(page.rows(), [("cards.264", 1), ("clip.avi", 0)])
        start = played_seconds(page.time_text())
        wait_for(lambda: played_seconds(page.time_text()) >= start + 1, "the .264 file's time advancing")

        # x4, then x1/4 (Speed Down from x4: x2, x1, x1/2, x1/4).
        self.gui.click(page.bar, SPEED_UP)
        self.gui.click(page.bar, SPEED_UP)
        wait_for(lambda: page.state() == "Speed Up x4", "x4")
        fast = page.pace(4)
        self.assertGreaterEqual(fast, 10)
        for _ in range(4):
            self.gui.click(page.bar, SPEED_DOWN)
        wait_for(lambda: page.state() == "Speed Down x1/4", "x1/4")
        # The time text may still catch up with the x4 play on a busy machine:
        # let it settle, then measure long enough that x1/4 and x1 stand apart.
        page.pace(1)
        slow = page.pace(8)
        self.assertLessEqual(slow, 4)

        # A seek to the middle shows the frame of that time (still at x1/4).
        page.seek(59)
        wait_for(lambda: played_seconds(page.time_text()) in (59, 60), "the seek")
        width, pixels = page.picture(self.work / "seek.png")
        shown = read_card_marker(pixels, width, len(pixels))
        self.assertIsNotNone(shown)
        self.assertGreaterEqual(shown, (FIRST_SECOND + 59) * 1_000_000)
        self.assertLess(shown, (FIRST_SECOND + 61) * 1_000_000)
        self.assertEqual(page.state(), "Speed Down x1/4")

        # Normal speed again (pause, play); near the end: the next row plays.
        self.gui.click(page.bar, PAUSE)
        wait_for(lambda: page.state() == "Pause", "the pause")
        self.gui.click(page.bar, PLAY)
        wait_for(lambda: page.state() == "x1", "the resume")
        page.seek(117)
        page.wait_playing("clip.avi", "00:00:23")
        self.assertEqual(page.rows(), [("cards.264", 0), ("clip.avi", 1)])

        # The end of the last row: stopped, the popup back.
        page.seek(21)
        wait_for(lambda: page.state() == "x0", "the end of the last file", timeout=30)
        self.assertTrue(page.popup_shown())
        self.assertEqual(self.gui.state(page.bar, id=TIME)["visible"], 0)
        self.assertEqual(page.rows(), [("cards.264", 0), ("clip.avi", 0)])

        # The bar's converter and export commands open their dialogs modally.
        for command, caption in ((CONVERT, "264ToAvi"), (EXPORT, "Export video files")):
            self.gui.post(page.bar, WM_COMMAND, command)
            dialog = self.gui.find(caption=caption, cls="#32770", timeout=30000)
            self.gui.post(dialog, WM_CLOSE)
            self.gui.wait_gone(dialog)
        self.close(app, main)

    def test_scans_300_files_while_the_user_keeps_clicking_and_adds_many_chosen_at_once(self):
        many = self.work / "videos" / "many"
        (many / "sub").mkdir(parents=True)
        (many / ".hidden").mkdir()
        want = []
        for i in range(290):
            (many / f"rec{i:03d}.264").touch()
            want.append(f"rec{i:03d}.264")
        for i in range(10):
            (many / "sub" / f"clip{i:02d}.avi").touch()
            want.append(f"clip{i:02d}.avi")
        for passed_over in (".hidden/skip.264", "UPPER.AVI", "other.h264", "notes.txt", "ab", "264"):
            (many / passed_over).touch()
        long = self.work / "videos" / "long"
        long.mkdir()
        chosen = [f"recording-channel-01-2024-03-05-120000-segment-{i:02d}.264" for i in range(40)]
        for name in chosen:
            (long / name).touch()

        # Drive Y: is the videos folder, for the folder browser and the file dialog.
        dosdevices = Path(self.gui._session_env()["WINEPREFIX"]) / "dosdevices"
        link = dosdevices / f"{LETTER.lower()}:"
        if link.is_symlink():
            link.unlink()
        link.symlink_to(self.work / "videos")
        self.addCleanup(link.unlink, missing_ok=True)
        try:
            self.gui.define_drive(f"{LETTER}:", win_path(self.work / "videos"), remove=True)
        except DriverError:
            pass  # it was not defined
        self.gui.define_drive(f"{LETTER}:", win_path(self.work / "videos"))
        self.addCleanup(self.gui.define_drive, f"{LETTER}:", win_path(self.work / "videos"), remove=True)

        app, main, page = self.start()
        self.gui.click(page.popup, POPUP_FOLDER)
        browser = self.gui.find(caption="Browse for Folder", cls="#32770", timeout=30000)
        self.gui.browse_select(browser, f"{LETTER}:\\many")
        # The user keeps clicking while the list fills: every click is taken
        # (the show/hide button flips the list) and every message answered.
        clicks, began = 0, time.monotonic()
        while True:
            self.assertEqual(self.gui.send(page.page, WM_NULL), 0)
            self.gui.click(page.bar, LIST_SHOW)
            clicks += 1
            rows = page.rows()
            if len(rows) >= len(want) or time.monotonic() - began > 60:
                break
        self.assertEqual([name for name, _ in rows], sorted(want))
        wait_for(lambda: self.gui.state(page.list)["visible"] == (clicks % 2 == 0), "the last click's list")

        # Many files at once: the selection is far longer than 1,024 characters.
        if clicks % 2:
            self.gui.click(page.bar, LIST_SHOW)
        wait_for(lambda: self.gui.state(page.list)["visible"] == 1, "the list shown")
        dialog = page.choose_files(page.list, ADD, f"{LETTER}:\\long")  # into the folder
        selection = " ".join(f'"{name}"' for name in chosen)
        self.assertGreater(len(selection), 1024)
        self.gui.set_text(dialog, selection, id=FILE_NAME)
        self.gui.click(dialog, IDOK)
        wait_for(lambda: len(page.rows()) == len(want) + len(chosen), "every chosen file listed")
        self.assertEqual([name for name, _ in page.rows()], sorted(want + chosen))
        self.close(app, main)


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main(verbosity=2)

#!/usr/bin/env python3
"""Movarel.exe exporting recordings of a recorder disk, driven from outside
under Wine (tests/gui/gui_driver.py), with a generated image holding real
H.264 standing in for the drive (as tests/app/disk_review_test.py sets it up):

- the recording list opens the disk and a double click plays its first row in
  pane 1;
- the list's Export button opens the export dialog; a search of another day
  lists that day's records of channels 1 to 4; two selected rows are exported
  into two files named "ch0" + ID + "-" + the span without colons, each of
  which ffmpeg decodes without a complaint, frame for frame: as many frames as
  the record has from its first key frame;
- the progress text reads 100% once per file, and never before a file is done;
- the pane plays on through the export (its picture still changes after it).

    export_test.py BUILD_DIR H264_FILE
"""

import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
from disk_review_test import (  # noqa: E402
    LETTER, DiskPage, DriveStandIn, screen_area, start_movarel, stop, video_area_of_pane0, wait_for, win_path,
    wine)
from gui_driver import WineGui  # noqa: E402

BUILD = None
H264 = None

WM_CLOSE = 0x0010
EXPORT_BUTTON = 1012  # the recording list's
# The export dialog.
DATE, SEARCH, ROWS, BROWSE, START, PERCENT = 1145, 1151, 1150, 1119, 1117, 1240
DAY = "2023-12-15"


def image_with_frames(gui, image):
    """A 'basic' recorder image (format 2) whose video is the H.264 file; per
    record (channel, start "hh:mm:ss" on DAY) its video frames from the first
    key frame, from the manifest's frame lines."""
    manifest = Path(str(image) + ".txt")
    wine(gui, gui.bin("vekfs-mkimg.exe"), "--version", "2", "--scenario", "basic", "-o", win_path(image),
         "-m", win_path(manifest), "--h264", win_path(H264))
    events, frames = {}, {}
    for line in manifest.read_text().splitlines():
        kind, _, rest = line.partition(" ")
        fields = dict(f.split("=", 1) for f in rest.split() if "=" in f)
        if kind == "event":
            events[(fields["p"], fields["pos"], fields["slot"])] = (int(fields["channel"]), fields["start"])
        elif kind == "frame":
            frames.setdefault((fields["p"], fields["pos"], fields["slot"]), []).append(fields["type"])
    counts = {}
    for key, (channel, start) in events.items():
        types = frames.get(key, [])
        first_key = types.index("I") if "I" in types else len(types)
        if start.startswith(DAY):
            counts[(channel, start[11:])] = sum(1 for t in types[first_key:] if t in "IP")
    return counts


def decoded_frames(path):
    """(frames ffmpeg decodes, what it said on stderr)."""
    run = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_read_frames", "-of", "csv=p=0", str(path)], capture_output=True, text=True)
    return int(run.stdout.strip() or -1), run.stderr.strip()


class ExportTest(unittest.TestCase):
    def test_export_two_rows_while_a_pane_plays(self):
        gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix="vek_export_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        image = work / "recorder.img"
        frames = image_with_frames(gui, image)
        drive = DriveStandIn(gui, image, work / "x_drive")
        self.addCleanup(drive.remove)
        drive.plug()
        out = work / "x_drive" / "export"
        out.mkdir()

        app, main = start_movarel(gui, work)
        self.addCleanup(stop, app)
        page = DiskPage(gui, main)
        page.select_disk()
        self.assertEqual(page.searched()[0][0][:2], ["231201-10:15:00-11:05:00", "1"])
        area = video_area_of_pane0(gui, main)
        self.assertIsNotNone(area)
        page.double_click(0)

        def picture():
            width, pixels = screen_area(gui, gui.screenshot(work / "pane.png"), gui.state(area)["rect"])
            return pixels
        first = wait_for(lambda: (lambda p: p if any(any(px) for row in p for px in row) else None)(picture()),
                         "a picture in pane 1", timeout=30)

        gui.click(page.list, EXPORT_BUTTON)
        dlg = gui.find(caption="Export video files", cls="#32770", timeout=30000)
        gui.drive("set-date", window=dlg, id=DATE, date=DAY)
        gui.click(dlg, SEARCH)
        rows = wait_for(lambda: (lambda r: r if len(r) == 2 else None)(gui.list_rows(dlg, id=ROWS)),
                        "the day's rows")
        self.assertEqual([r[0][0:2] + r[0][3:5] for r in rows],
                         [["08:00:00-08:01:00", "01-231215", "Normal", "1"],
                          ["09:00:00-09:02:00", "03-231215", "Normal", "3"]])

        gui.click(dlg, BROWSE)
        browser = gui.find(caption="Browse for Folder", cls="#32770", timeout=30000)
        gui.browse_select(browser, f"{LETTER}:\\export")
        gui.wait_gone(browser)
        wait_for(lambda: gui.text(dlg, id=1103) == f"{LETTER}:\\export", "the destination")

        gui.drive("list-select", window=dlg, id=ROWS, rows="0,1")
        # A row's 100% may show too briefly to be read before the next row
        # starts: the watch ends when Export is enabled again after a 100%.
        seen = gui.drive("watch-text", window=dlg, id=PERCENT, click=START, until="100%", enabled=START,
                         timeout=50000).splitlines()
        self.assertEqual(seen[-1], "100%", seen)
        for text in seen:
            self.assertRegex(text, r"^\d{1,3}%$")
            self.assertLessEqual(int(text[:-1]), 100)
        shots = Path(BUILD) / "screenshots"
        shots.mkdir(exist_ok=True)
        gui.screenshot(shots / "export_dialog.png")
        gui.post(dlg, WM_CLOSE)
        gui.wait_gone(dlg)

        # The pane was not stopped: its picture still changes.
        wait_for(lambda: picture() != first, "pane 1's picture to change after the export", timeout=30)

        for channel, start, end in [(0, "08:00:00", "080100"), (2, "09:00:00", "090200")]:
            name = f"ch0{channel + 1:02d}-231215-{start.replace(':', '')}-{end}.mp4"
            path = out / name
            self.assertTrue(path.exists(), f"{name}: {sorted(p.name for p in out.iterdir())}")
            count, complaints = decoded_frames(path)
            self.assertEqual(complaints, "", name)
            self.assertEqual(count, frames[(channel, start)], name)
            decode = subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-i", str(path), "-f", "null", "-"],
                                    capture_output=True, text=True)
            self.assertEqual((decode.returncode, decode.stderr.strip()), (0, ""), name)

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    H264 = sys.argv.pop(1)
    unittest.main()

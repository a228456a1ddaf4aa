#!/usr/bin/env python3
"""A pane's download dialog of Movarel.exe from start to finish, driven from
outside under Wine (tests/gui/gui_driver.py) against the simulated recorder
(simrecorder.exe) on 127.0.0.1, serving a recorder disk image whose video is
real H.264:

- logged in and a day chosen, the tool bar's Download opens pane 1's dialog
  with one row per record of the pane's time-bar row;
- three rows checked and started download one after another (one row at a
  time, in list order); with the video type ".avi" each file is decoded by
  ffmpeg; a screenshot of the dialog is saved as screenshots/remote_download.png;
- the video type switched to raw frames in the settings dialog, the same rows
  (still checked, finished) download again, and each ".264" file holds
  exactly the frames the simulator served for its record;
- started a third time, the simulator stalls halfway through the first row
  and is then stopped: that row shows "Download Failed", and the next rows
  are left waiting, failed or not downloaded, never complete.

    remote_download_test.py BUILD_DIR
"""

import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import disk_review_test as review  # noqa: E402
import remote_play_test as remote  # noqa: E402
from gui_driver import WineGui  # noqa: E402

BUILD = None
REPO = Path(__file__).resolve().parents[2]

WM_CLOSE, BM_CLICK = 0x0010, 0x00F5
DOWNLOAD = 1022  # the tool bar's Download button
LIST, START = 1233, 1234
CONFIG, SETTING_OK, VIDEO_TYPE = 1041, 1090, 1153
STATE = 4
DAY = (2024, 1, 10)  # the image's day with the most records of channel 1
ROWS = 3
WAITING_OR_WORSE = {"Wait Download", "Download Failed", "Not Download"}


def start_program(gui, work, record_path):
    """Movarel.exe from a folder of its own whose settings put downloads under
    `record_path` as ".avi": (program, main window)."""
    program = work / "program"
    review.copy_program(gui, program)
    (program / "Config" / "Lumerad.ini").write_text(
        f"[Path]\r\nRecordPath={review.win_path(record_path)}\r\nVideoType=1\r\n")
    trace = work / "trace.txt"
    app = gui.start(str(program / "Movarel.exe"), env={"VEK_STARTUP_TRACE": review.win_path(trace)})
    review.wait_for(lambda: "DoModal" in (trace.read_text() if trace.exists() else "") or not app.running(),
                    "the main window")
    return app, gui.find(caption="Corvane Movarel", cls="#32770", timeout=30000)


def decoded_frames(path):
    """The video frames ffmpeg decodes from a file (an error fails)."""
    done = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                           "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", str(path)],
                          capture_output=True, text=True, timeout=60)
    if done.returncode != 0 or done.stderr.strip():
        raise AssertionError(f"ffprobe {path}: {done.stderr.strip()}")
    return int(done.stdout.strip().rstrip(","))


class RemoteDownloadTest(unittest.TestCase):
    def rows(self):
        """The rows' seven column texts (the driver's output loses the first
        row's leading empty check-box column)."""
        return [[""] * (7 - len(texts)) + texts for texts, _ in self.gui.list_rows(self.dialog, id=LIST)]

    def states(self):
        return [texts[STATE] for texts in self.rows()[:ROWS]]

    def download_all(self):
        """Start, then watch the rows until all are complete: the rows in the
        order they completed, having checked that only one was ever under way.
        The click is sent, not posted: the rows are read only once Start has
        queued them, so the states of an earlier pass are never taken for
        this one's."""
        self.gui.send(self.gui.control(self.dialog, START), BM_CLICK)
        done_order, deadline = [], time.monotonic() + 60
        while len(done_order) < ROWS:
            self.assertLess(time.monotonic(), deadline, f"the downloads to end: {self.states()}")
            states = self.states()
            under_way = [i for i, s in enumerate(states) if s.endswith("%") or s == "Downloading"]
            self.assertLessEqual(len(under_way), 1, states)
            self.assertNotIn("Download Failed", states)
            for i, s in enumerate(states):
                if s == "Complete Download" and i not in done_order:
                    done_order.append(i)
            time.sleep(0.05)
        return done_order

    def test_download_three_rows_as_avi_then_as_frames_then_lose_the_recorder(self):
        gui = self.gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix="vek_remote_download_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        h264, image, served, downloads = work / "video.h264", work / "recorder.img", work / "served", work / "dl"
        served.mkdir()
        subprocess.run([str(REPO / "tools" / "make-test-h264"), str(h264), "", "176x144", "2"], check=True)
        review.make_image(gui, 2, image, h264=h264)
        year, month, day = DAY
        day_text = f"{year}-{month:02d}-{day:02d}"
        events = remote.image_events(gui, image, f"{day_text} 00:00:00", f"{day_text} 23:59:59")
        starts = sorted(start for channel, start, _ in events if channel == 0)
        self.assertGreaterEqual(len(starts), ROWS)
        month_text = f"{year}-{month:02d}"
        month_events = remote.image_events(gui, image, f"{month_text}-01 00:00:00", f"{month_text}-31 23:59:59")
        marks = sorted({int(start[8:10]) for channel, start, _ in month_events
                        if channel == 0 and start[:7] == month_text})

        # Two passes of three downloads are served whole; the next stalls.
        sim, port = remote.start_simulator(gui, "--image", review.win_path(image), "--served",
                                           review.win_path(served), "--stall-after", str(2 * ROWS))
        self.addCleanup(review.stop, sim)
        app, main = start_program(gui, work, downloads)
        self.addCleanup(review.stop, app)
        net = remote.NetPage(gui, main)
        net.choose()
        net.log_in(port)
        review.wait_for(lambda: net.tree(), "the recorder's tree")
        gui.tree_check(net.list, 1, id=remote.TREE)
        today = time.localtime()
        net.step_calendar(0, today.tm_year - year)
        net.step_calendar(3 if month > today.tm_mon else 1, abs(month - today.tm_mon))
        # The calendar shows the month once its month search has marked the days.
        review.wait_for(lambda: net.marked_days(gui.screenshot(work / "calendar.png"), year, month) == marks,
                        f"the marks {marks} of {month_text}", timeout=60)
        net.click_day(year, month, day)
        review.wait_for(lambda: net.enabled(net.tool_bar, DOWNLOAD), "Download enabled")

        gui.click(net.tool_bar, DOWNLOAD)
        self.dialog = gui.find(caption="File Download Channel01", cls="#32770", timeout=20000)
        rows = review.wait_for(lambda: self.rows(), "the dialog's rows")
        self.assertEqual([r[2] for r in rows], starts)
        self.assertEqual(rows[0][1], "1")
        self.assertTrue(all(r[STATE] == "Not Download" for r in rows), rows)
        for row in range(ROWS):
            gui.list_check(self.dialog, row, id=LIST)

        def target(row, extension):
            start, end = rows[row][2], rows[row][3]
            return (downloads / "127.0.0.1" / "CH01" / start[:10].replace("-", "") /
                    (start[11:].replace(":", "") + "-" + end[11:].replace(":", "") + extension))

        # ".avi": one after another, each decoded by ffmpeg.
        self.assertEqual(self.download_all(), [0, 1, 2])
        shots = BUILD / "screenshots"
        shots.mkdir(exist_ok=True)
        gui.screenshot(shots / "remote_download.png")
        for row in range(ROWS):
            self.assertGreater(decoded_frames(target(row, ".avi")), 0, row)

        # Raw frames: the settings dialog changes the video type; the finished
        # rows download again, byte for byte what was served.
        bar = [line.split()[0] for line in gui.drive("children", window=main).splitlines()
               if '"Remote Play"' in gui.drive("children", window=line.split()[0])][0]
        gui.click(bar, CONFIG)
        settings = gui.find(caption="Param Config", cls="#32770", timeout=20000)
        gui.select(settings, VIDEO_TYPE, 0)
        gui.click(settings, SETTING_OK)
        gui.wait_gone(settings)
        self.assertEqual(self.download_all(), [0, 1, 2])
        for row in range(ROWS):
            start = rows[row][2]
            frames = served / f"ch0-{start[:10].replace('-', '')}-{start[11:].replace(':', '')}.frames"
            got = target(row, ".264").read_bytes()
            self.assertGreater(len(got), 0)
            self.assertEqual(got, frames.read_bytes(), row)

        # The recorder stalls halfway through the first row and is stopped.
        gui.click(self.dialog, START)
        review.wait_for(lambda: self.states()[0].endswith("%"), "the first row under way", timeout=30)
        sim.process.kill()
        sim.process.wait()
        review.wait_for(lambda: self.states()[0] == "Download Failed", "the failure on the first row", timeout=30)
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            states = self.states()
            self.assertEqual(states[0], "Download Failed")
            self.assertTrue(set(states[1:]) <= WAITING_OR_WORSE, states)
            time.sleep(0.2)
        first = served / f"ch0-{rows[0][2][:10].replace('-', '')}-{rows[0][2][11:].replace(':', '')}.frames"
        self.assertLess(target(0, ".264").stat().st_size, first.stat().st_size, "the first row's file is cut")

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

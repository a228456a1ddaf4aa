#!/usr/bin/env python3
"""Movarel.exe's network page from start to finish, driven from outside under
Wine (tests/gui/gui_driver.py) against the simulated recorder
(simrecorder.exe) on 127.0.0.1, serving a generated recorder disk image:

- Remote Play shows the login form; a recorder that refuses the password
  ("--refuse 104") shows "Password error" and Login is enabled again;
- a login fills the tree with the recorder's name and its four channels and
  shows the device information panel;
- with the channels checked, stepping the calendar to the image's month marks
  exactly the days the image holds for channels 1 to 4 (vekfs-dump.exe events,
  the reader as the simulator reads it), read from the screen;
- choosing a day puts that day's records of each channel on its row of the
  time bar (bar pixels where the records lie, and nowhere else);
- Play plays pane 1 over the network: the frame card the playback library
  draws carries a marker of its frame time, which lies in the day's record and
  advances; a screenshot of the page is saved as screenshots/remote_play.png;
- the simulator killed mid-play: "Network connection fails" shows once, in
  the login form that comes back, and the pane stops;
- Logout empties the tree and the calendar's marks.

    remote_play_test.py BUILD_DIR
"""

import re
import shutil
import sys
import tempfile
import time
import unittest
from datetime import date
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import disk_review_test as review  # noqa: E402
from gui_driver import DriverError, WineGui  # noqa: E402

BUILD = None

WM_CLOSE = 0x0010
REMOTE_PLAY = 1022
# The recorder list, its panels and the calendar.
LOGIN, LOGOUT, TREE, CALENDAR = 1216, 1217, 1045, 1051
IP, PORT, USER, PASSWORD, STATUS = 1171, 1173, 1175, 1177, 1181
INFO_NAME, INFO_IP, INFO_CHANNELS = 1225, 1226, 1229
# The playback tool bar and a pane's picture.
PLAY, PAUSE = 1011, 1012
VIDEO_AREA = 1000

RECORDER_NAME = "Yard Recorder"
MONTH = (2023, 12)  # the image's month with the most days
MARKED = (0x0D, 0x5A, 0x0D)
ROW_BACKGROUND = (0x1E, 0x1E, 0x1E)

# The calendar's geometry (its model): 29-pixel tool bar, grid from (10, 41),
# 7 x 6 cells; the first day of the week is Sunday (Wine's English locale).
CAL_BAR = 29


def start_simulator(gui, *args):
    """simrecorder.exe on a port the system picks: (program, port)."""
    sim = gui.start(gui.bin("simrecorder.exe"), "--port", "0", *args)
    found = review.wait_for(lambda: re.search(r"listening on 127\.0\.0\.1:(\d+)", sim.output()) or
                            (not sim.running() and DriverError(f"simrecorder ended: {sim.output()!r}")),
                            "the simulator to listen", timeout=120)
    if isinstance(found, DriverError):
        raise found
    return sim, int(found.group(1))


def image_events(gui, image, first, last):
    """The image's records of channels 0 to 3 between two times: [(channel, start, end)]
    with "YYYY-MM-DD HH:MM:SS" texts."""
    out = review.wine(gui, gui.bin("vekfs-dump.exe"), "--build", "2", review.win_path(image), "events", first, last)
    events = []
    for line in out.splitlines():
        f = line.split()
        # ch N DATE START - DATE END type ...
        if len(f) > 7 and f[0] == "ch" and int(f[1]) < 4:
            events.append((int(f[1]), f"{f[2]} {f[3]}", f"{f[5]} {f[6]}"))
    return events


def seconds_of_day(text):
    h, m, s = (int(v) for v in text[11:19].split(":"))
    return h * 3600 + m * 60 + s


class NetPage:
    """The network page of a running Movarel.exe."""

    def __init__(self, gui, main):
        self.gui, self.main = gui, main

    def choose(self):
        for line in self.gui.drive("children", window=self.main).splitlines():
            handle = line.split()[0]
            if '"Remote Play"' in self.gui.drive("children", window=handle):
                self.gui.click(handle, REMOTE_PLAY)
                break
        self.list = self.gui.parent(self.gui.control(self.main, LOGIN))
        review.wait_for(lambda: self.gui.state(self.list)["visible"], "the network page")
        self.page = self.gui.parent(self.list)
        self.form = self.gui.parent(self.gui.control(self.list, IP))
        self.calendar = self.gui.control(self.list, CALENDAR)
        self.tool_bar = self.gui.parent(self.gui.control(self.page, PLAY))
        frame = self.gui.parent(self.tool_bar)
        self.time_bar = self.gui.control(frame, 1)
        self.info = self.gui.parent(self.gui.control(self.list, INFO_NAME))

    def enabled(self, window, id):
        return self.gui.state(window, id=id)["enabled"]

    def status(self):
        return self.gui.text(self.form, id=STATUS)

    def log_in(self, port, user="admin", password="admin"):
        self.gui.set_text(self.form, "127.0.0.1", id=IP)
        self.gui.set_text(self.form, str(port), id=PORT)
        self.gui.set_text(self.form, user, id=USER)
        self.gui.set_text(self.form, password, id=PASSWORD)
        self.gui.click(self.list, LOGIN)

    def video_area_of_pane1(self):
        """The picture window of the first play pane (top left) of this page."""
        grid = self.gui.parent(self.gui.parent(self.gui.control(self.page, VIDEO_AREA)))
        panes = [line.split()[0] for line in self.gui.drive("children", window=grid).splitlines()]
        first = min(panes, key=lambda p: (self.gui.state(p)["rect"][1], self.gui.state(p)["rect"][0]))
        return self.gui.control(first, VIDEO_AREA)

    def tree(self):
        return self.gui.tree_items(self.list, id=TREE)

    def step_calendar(self, button, times):
        """Presses tool bar button 0 (year back), 1 (month back), 3, 4 `times` times."""
        bar = self.gui.control(self.calendar, 1)
        width = self.gui.state(bar)["client"][0]
        lefts = {0: 10, 1: 29, 3: width - 47, 4: width - 28}
        for _ in range(times):
            self.gui.click_at(bar, lefts[button] + 9, 6 + 9)

    def day_cell(self, year, month, day):
        """The cell of `day` in the calendar's client area: (left, top, right, bottom)."""
        width, height = self.gui.state(self.calendar)["client"]
        cw, ch = (width - 20) // 7, (height - CAL_BAR - 5 - 41) // 6
        row, top = 0, 41
        for d in range(1, day + 1):
            column = (date(year, month, d).weekday() + 1) % 7  # Sunday 0
            if d == day:
                return (10 + column * cw, top, 10 + (column + 1) * cw, top + ch)
            if column == 6:
                top += ch

    def click_day(self, year, month, day):
        left, top, right, bottom = self.day_cell(year, month, day)
        self.gui.click_at(self.calendar, (left + right) // 2, (top + bottom) // 2)

    def marked_days(self, shot, year, month):
        """The days the calendar shows marked, read from a screenshot."""
        rect = self.gui.state(self.calendar)["rect"]
        width, pixels = review.screen_area(self.gui, shot, rect)
        marked = []
        for day in range(1, 32):
            try:
                date(year, month, day)
            except ValueError:
                break
            left, top, right, bottom = self.day_cell(year, month, day)
            cell = [pixels[y][x] for y in range(top + 1, bottom - 1) for x in range(left + 1, right - 1)]
            # A marked day is filled with the marked colour; the selected one
            # is written in it.
            if pixels[top + 2][left + 2] == MARKED or sum(p == MARKED for p in cell) >= 3:
                marked.append(day)
        return marked

    def bars(self, shot):
        """Per time-bar row, the client x of every bar pixel."""
        rect = self.gui.state(self.time_bar)["rect"]
        width, pixels = review.screen_area(self.gui, shot, rect)
        rows = []
        for row in range(4):
            y = 25 + 18 * row + 4
            rows.append([x for x in range(80, width - 10) if pixels[y][x] != ROW_BACKGROUND])
        return rows, width


def time_x(width, seconds):
    """Client x of a time of day on the time bar at zoom 0 (twelve 2-hour cells)."""
    cw = max(1, (width - 90) // 12)
    cell, share = divmod(seconds, 7200)
    return 80 + cell * cw + (2 * share * cw + 7199) // 14400


class RemotePlayTest(unittest.TestCase):
    def test_log_in_mark_choose_play_lose_the_link_and_log_out(self):
        gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix="vek_remote_play_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        image = work / "recorder.img"
        review.make_image(gui, 2, image)
        year, month = MONTH
        events = image_events(gui, image, f"{year}-{month:02d}-01 00:00:00", f"{year}-{month:02d}-31 23:59:59")
        want_days = sorted({int(start[8:10]) for _, start, _ in events if start[:7] == f"{year}-{month:02d}"})
        self.assertGreaterEqual(len(want_days), 3)
        # The day to play: the one with channel 1's longest record.
        ch0 = [(seconds_of_day(e) - seconds_of_day(s), s, e) for c, s, e in events if c == 0 and s[:10] == e[:10]]
        _, play_start, play_end = max(ch0)
        play_day = int(play_start[8:10])

        refusing, refusing_port = start_simulator(gui, "--refuse", "104")
        self.addCleanup(review.stop, refusing)
        sim, port = start_simulator(gui, "--image", review.win_path(image), "--name", RECORDER_NAME)
        self.addCleanup(review.stop, sim)
        app, main = review.start_movarel(gui, work)
        self.addCleanup(review.stop, app)
        net = NetPage(gui, main)
        net.choose()
        self.assertTrue(gui.state(net.form)["visible"])
        self.assertEqual(net.tree(), [])

        # Refused: its text, and Login again.
        net.log_in(refusing_port, password="wrong")
        review.wait_for(lambda: net.status() == "Password error", "the refusal's text")
        review.wait_for(lambda: net.enabled(net.list, LOGIN), "Login enabled again")
        self.assertFalse(net.enabled(net.list, LOGOUT))
        review.stop(refusing)

        # Logged in: the recorder and its channels, the information panel.
        net.log_in(port)
        items = review.wait_for(lambda: net.tree(), "the recorder's tree")
        self.assertEqual([(depth, text) for depth, _, text in items],
                         [(0, RECORDER_NAME)] + [(1, f"Channel{i}") for i in range(1, 5)])
        self.assertTrue(all(check == 0 for _, check, _ in items[1:]), items)
        review.wait_for(lambda: gui.state(net.info)["visible"], "the device information")
        self.assertEqual(gui.text(net.info, id=INFO_NAME), RECORDER_NAME)
        self.assertEqual(gui.text(net.info, id=INFO_IP), "127.0.0.1")
        self.assertEqual(gui.text(net.info, id=PORT), str(port))
        self.assertEqual(gui.text(net.info, id=INFO_CHANNELS), "4")
        self.assertFalse(net.enabled(net.list, LOGIN))
        self.assertTrue(net.enabled(net.list, LOGOUT))

        # Every channel checked, the calendar stepped to the image's month:
        # its days are marked.
        for item in range(1, 5):
            gui.tree_check(net.list, item, id=TREE)
        self.assertTrue(all(check == 1 for _, check, _ in net.tree()[1:]))
        today = date.today()
        net.step_calendar(0, today.year - year)
        net.step_calendar(3 if month > today.month else 1, abs(month - today.month))
        marked = review.wait_for(
            lambda: (lambda m: m if m == want_days else None)(
                net.marked_days(gui.screenshot(work / "calendar.png"), year, month)),
            f"the marks {want_days}", timeout=60)
        self.assertEqual(marked, want_days)

        # A day chosen: its records on the rows of their channels.
        net.click_day(year, month, play_day)
        day_text = f"{year}-{month:02d}-{play_day:02d}"
        spans = [[] for _ in range(4)]
        for channel, start, end in events:
            if start[:10] == day_text:
                last = seconds_of_day(end) if end[:10] == day_text else 86399
                spans[channel].append((seconds_of_day(start), last))

        def rows_shown():
            bars, width = net.bars(gui.screenshot(work / "timebar.png"))
            for row in range(4):
                want = [(time_x(width, s), max(time_x(width, e), time_x(width, s) + 1)) for s, e in spans[row]]
                if not all(any(l - 2 <= x <= r + 1 for x in bars[row]) for l, r in want):
                    return None
                if not all(any(l - 2 <= x <= r + 1 for l, r in want) for x in bars[row]):
                    return None
            return True
        review.wait_for(rows_shown, f"the records of {day_text} on the time bar", timeout=60)

        # Play: pane 1 plays its channel's record over the network.
        review.wait_for(lambda: net.enabled(net.tool_bar, PLAY), "Play enabled")
        gui.click(net.tool_bar, PLAY)
        area = net.video_area_of_pane1()
        base = time.mktime(time.strptime(f"{day_text} 00:00:00", "%Y-%m-%d %H:%M:%S")) - time.timezone
        span = [int((base + seconds_of_day(t)) * 1e6) for t in (play_start, play_end)]

        def marker():
            rect = gui.state(area)["rect"]
            width, pixels = review.screen_area(gui, gui.screenshot(work / "pane.png"), rect)
            return review.read_card_marker(pixels, width, len(pixels))
        first = review.wait_for(marker, "a frame card in pane 1", timeout=60)
        self.assertGreaterEqual(first, span[0])
        self.assertLessEqual(first, span[1])
        later = review.wait_for(lambda: (lambda m: m if m and m > first else None)(marker()),
                                "the frame time to advance", timeout=30)
        self.assertLessEqual(later, span[1])
        shots = BUILD / "screenshots"
        shots.mkdir(exist_ok=True)
        gui.screenshot(shots / "remote_play.png")
        self.assertTrue(net.enabled(net.tool_bar, PAUSE))

        # The recorder goes away mid-play: the link's loss shows once, the pane stops.
        sim.process.kill()
        sim.process.wait()
        review.wait_for(lambda: net.status() == "Network connection fails", "the lost link's text")
        self.assertTrue(gui.state(net.form)["visible"], "the login form shows the text")
        self.assertTrue(net.enabled(net.list, LOGIN))
        review.wait_for(lambda: not net.enabled(net.tool_bar, PAUSE), "the pane to stop", timeout=30)
        # The form's timer empties the text after 5 s; watched until then, and
        # for 3 s more, in which it must not come back.
        shown, seen, emptied, deadline = 0, False, None, time.monotonic() + 30
        while emptied is None or time.monotonic() < emptied + 3:
            text = net.status()
            now = text == "Network connection fails"
            shown += now and not seen
            seen = now
            if emptied is None and not text:
                emptied = time.monotonic()
            self.assertTrue(emptied is not None or time.monotonic() < deadline,
                            f"the lost link's text was never emptied: {text!r}")
            time.sleep(0.25)
        self.assertEqual(shown, 1, "shown once, then emptied after 5 s")
        self.assertEqual(net.status(), "")

        # Logout: no tree, no marks.
        gui.click(net.list, LOGOUT)
        review.wait_for(lambda: not net.tree(), "an empty tree")
        # The calendar is repainted without its marks after the tree empties.
        review.wait_for(lambda: net.marked_days(gui.screenshot(work / "calendar.png"), year, month) == [],
                        "the calendar without marks")
        self.assertFalse(net.enabled(net.list, LOGOUT))

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

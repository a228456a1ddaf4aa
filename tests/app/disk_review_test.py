#!/usr/bin/env python3
"""Movarel.exe reviewing a recorder disk from start to finish, driven from
outside under Wine (tests/gui/gui_driver.py), once with a generated image of
each on-disk format standing in for the recorder's drive (formats 1 and 2 from
vekfs-mkimg, the third format, dvrfs, from mkdvrfs):

- the user picks a folder on drive X: in the program's own folder browser;
- the calendar offers exactly the days the reader finds on the image
  (vekfs-dump.exe month, the reader as the program uses it; for dvrfs the
  recordings mkdvrfs says it wrote) and the earliest is searched by itself;
  another day lists its records too: the rows are that day's records of the
  default channels 1 to 4 (vekfs-dump.exe events; mkdvrfs's list), sorted,
  with their FILE, ID, SIZE and type image;
- a double click plays the row in its pane: the frame card the playback
  library draws for the (synthetic) video carries a marker of its frame time,
  read from the screen, which lies within the record (format 2, and dvrfs in
  its review);
- Clear leaves only today enabled in the calendar;
- pulling the drive (its device link removed and a device-change notice with a
  volume broadcast) closes the disk and says so once.

How the image stands in for a drive under Wine: the prefix's dosdevices link
physicaldrive1 -> the image makes "\\\\.\\PhysicalDrive1" read it, x:: ->
physicaldrive1 makes the volume "\\\\.\\X:" the same device (Wine answers the
device-number query of any file with 1), and x: -> a folder gives the drive
its folders. The drive letter is also defined for the running Wine session
(DefineDosDevice), so that the folder browser lists it.

    disk_review_test.py BUILD_DIR

The helpers are shared with scripts/run, which drives the program the same
way on the demo disk.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from datetime import date
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
from gui_driver import DriverError, WineGui  # noqa: E402

BUILD = None

WM_CLOSE = 0x0010
DBT_DEVICEREMOVECOMPLETE = 0x8004
IDOK = 1
# Controls of the recording list page and its calendar.
SELECT_DISK, SELECT_CHANNEL, ROWS, CLEAR, STATUS = 1011, 1013, 1040, 1042, 1059
YEAR, MONTH, DAY1 = 1025, 1026, 1036
VIDEO_AREA = 1000  # a play pane's picture
DRIVE = 1
LETTER = "X"


def win_path(path):
    return "Z:" + str(path).replace("/", "\\")


def wine(gui, exe, *args, env=None, timeout=300):
    """Runs a program of the build under Wine; its output (check=True)."""
    done = subprocess.run([gui.wine_run, "--build", str(gui.build), exe, *args], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=timeout, env={**os.environ, **(env or {})})
    if done.returncode != 0:
        raise DriverError(f"{Path(exe).name} {' '.join(args)}: exit {done.returncode}: {done.stderr.strip()}")
    return done.stdout


def make_image(gui, version, image, h264=None):
    """A recorder disk image of the 'basic' scenario (synthetic video unless
    `h264`); the months its recordings start in ("YYYY-MM"), from its manifest."""
    manifest = Path(str(image) + ".txt")
    args = ["--version", str(version), "--scenario", "basic", "-o", win_path(image), "-m", win_path(manifest),
            "--no-frame-lines"]
    if h264:
        args += ["--h264", win_path(h264)]
    wine(gui, gui.bin("vekfs-mkimg.exe"), *args)
    months = set()
    for line in manifest.read_text().splitlines():
        if line.startswith("event "):
            start = dict(f.split("=", 1) for f in line.split()[1:] if "=" in f).get("start", "0")
            if start != "0":
                months.add(start[:7])
    return sorted(months)


def make_dvrfs_image(gui, image):
    """mkdvrfs's demo disk in the third format: its recordings, from its facts,
    as (channel, "YYMMDD", start "hh:mm:ss", end, bytes, record-type bits)."""
    facts = Path(str(image) + ".txt")
    wine(gui, gui.bin("mkdvrfs.exe"), "-o", win_path(image), "-m", win_path(facts))
    recordings = []
    for line in facts.read_text().splitlines():
        if line.startswith("#"):
            continue
        # N ch=C start="YYYY-MM-DD hh:mm:ss" end="..." types=0xT first=F last=L sectors=S ...
        f = {k: v.strip('"') for k, v in re.findall(r'(\w+)=("[^"]*"|\S+)', line)}
        day, start = f["start"].split()
        recordings.append((int(f["ch"]), day[2:4] + day[5:7] + day[8:10], start, f["end"].split()[1],
                           int(f["sectors"]) * 512, int(f["types"], 16)))
    return recordings


class DriveStandIn:
    """An image standing in for drive X: and \\\\.\\PhysicalDrive1 (see the module's text)."""

    def __init__(self, gui, image, folder):
        self.gui, self.image, self.folder = gui, Path(image), Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.dosdevices = Path(gui._session_env()["WINEPREFIX"]) / "dosdevices"
        self.links = {f"physicaldrive{DRIVE}": str(self.image), f"{LETTER.lower()}::": f"physicaldrive{DRIVE}",
                      f"{LETTER.lower()}:": str(self.folder)}

    def plug(self):
        for name, target in self.links.items():
            link = self.dosdevices / name
            if link.is_symlink() or link.exists():
                link.unlink()
            link.symlink_to(target)
        try:
            self.gui.define_drive(f"{LETTER}:", win_path(self.folder), remove=True)
        except DriverError:
            pass  # it was not defined
        self.gui.define_drive(f"{LETTER}:", win_path(self.folder))

    def pull(self):
        """The drive goes: its device link is removed."""
        (self.dosdevices / f"physicaldrive{DRIVE}").unlink(missing_ok=True)

    def remove(self):
        for name in self.links:
            link = self.dosdevices / name
            if link.is_symlink():
                link.unlink()
        try:
            self.gui.define_drive(f"{LETTER}:", win_path(self.folder), remove=True)
        except DriverError:
            pass


# -- what the reader finds on the image ------------------------------------------------

def dump(gui, version, *command):
    return wine(gui, gui.bin("vekfs-dump.exe"), "--build", str(version), f"\\\\.\\PhysicalDrive{DRIVE}",
                *command).splitlines()


def reader_days(gui, version, months):
    """Days ("YYMMDD") with recordings in the given months ("YYYY-MM")."""
    days = set()
    for month in months:
        for line in dump(gui, version, "month", month):
            day = line.split()[0]
            days.add(day[2:4] + day[5:7] + day[8:10])
    return sorted(days)


def list_rows(records):
    """The list's rows of (day "YYMMDD", start, end, channel, length, record type bit), in the list's order."""
    rows = [([f"{day}-{start}-{end}", str(channel + 1), f"{length / 1048576:.2f}M"], 1 if bit == 1 else 2)
            for day, start, end, channel, length, bit in records]
    # By date and start, then by ID as text; equal keys keep their order.
    return sorted(rows, key=lambda r: (r[0][0][:15], r[0][1]))


def dvrfs_rows(recordings, day, channels=(0, 1, 2, 3)):
    """The list's rows of `day` ("YYMMDD") for the channels (zero-based) on a dvrfs disk."""
    return list_rows([(d, start, end, channel, length, record_type_bit(types, 1))
                      for channel, d, start, end, length, types in recordings if d == day and channel in channels])


def record_type_bit(type_bits, version):
    t = type_bits
    if version == 2 and t & 0x38:
        return 128
    if t & 6 == 6:
        return 2
    if version == 1:
        return 1 if t & 1 else 8 if t & 4 else 4 if t & 2 else 0
    return 4 if t & 2 else 8 if t & 4 else 1 if t & 1 else 0


def reader_rows(gui, version, day, channels=(0, 1, 2, 3)):
    """The list's rows of `day` ("YYMMDD") for the channels (zero-based), in the list's order."""
    iso = f"20{day[0:2]}-{day[2:4]}-{day[4:6]}"
    records = []
    for line in dump(gui, version, "events", f"{iso} 00:00:00", f"{iso} 23:59:59"):
        f = line.split()
        # ch N DATE START - DATE END type 0xT loc ... data START+LENGTH ...
        channel, start, end, bits = int(f[1]), f[3], f[6], int(f[8], 16)
        if channel not in channels:
            continue
        length = int(f[f.index("data") + 1].split("+")[1])
        records.append((day, start, end, channel, length, record_type_bit(bits, version)))
    return list_rows(records)


# -- the program -------------------------------------------------------------------------

def copy_program(gui, program):
    """The build's deliverables folder linked (or copied) into `program`, with
    an empty Config folder, for a run with settings of its own."""
    (program / "Config").mkdir(parents=True)
    for item in Path(gui.bin("")).iterdir():
        target = program / item.name
        if item.is_dir():
            shutil.copytree(item, target)
        else:
            try:
                os.link(item, target)
            except OSError:
                shutil.copy2(item, target)


def start_movarel(gui, trace_dir):
    """Starts Movarel.exe and waits for its main window: (program, main window)."""
    trace = Path(trace_dir) / "trace.txt"
    app = gui.start(gui.bin("Movarel.exe"), env={"VEK_STARTUP_TRACE": win_path(trace)})
    # The driver starts once the program runs its main window: a Wine program
    # started while another one is still starting up can stall.
    deadline = time.monotonic() + 60
    while "DoModal" not in (trace.read_text() if trace.exists() else ""):
        if not app.running():
            raise DriverError("Movarel.exe ended during its start-up")
        if time.monotonic() > deadline:
            raise DriverError("Movarel.exe did not reach its main window")
        time.sleep(0.1)
    return app, gui.find(caption="Corvane Movarel", cls="#32770", timeout=30000)


def stop(app):
    """Ends a program the test left running."""
    if app.running():
        app.process.kill()
        app.process.wait()
    app.out.close()


def wait_for(condition, what, timeout=60):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise DriverError(f"timed out waiting for {what}")
        time.sleep(0.2)


class DiskPage:
    """The recording list page of a running Movarel.exe."""

    def __init__(self, gui, main):
        self.gui, self.main = gui, main
        self.calendar = gui.parent(gui.control(main, YEAR))
        self.list = gui.parent(self.calendar)

    def select_disk(self, folder=f"{LETTER}:\\"):
        self.gui.click(self.list, SELECT_DISK)
        browser = self.gui.find(caption="Browse for Folder", cls="#32770", timeout=30000)
        self.gui.browse_select(browser, folder)
        self.gui.wait_gone(browser)

    def status(self):
        return self.gui.text(self.list, id=STATUS)

    def rows(self):
        return self.gui.list_rows(self.list, id=ROWS)

    def wait_rows(self, count=None, timeout=60, other_than=None):
        """Waits until the list shows rows (`count` of them, when given), other
        than the rows `other_than` (those of the day shown before)."""
        def ready():
            rows = self.rows()
            return rows if rows and (count is None or len(rows) == count) and rows != other_than else None
        return wait_for(ready, "the day's rows", timeout)

    def searched(self, timeout=120):
        """Waits until the month search has ended and the earliest day is listed."""
        wait_for(lambda: self.status() == "Search Finished", "the month search", timeout)
        return self.wait_rows()

    def calendar_state(self):
        """(year shown, month shown, enabled days, selected day)."""
        controls = self.gui.children(self.calendar)
        enabled = [d for d in range(1, 32) if controls[DAY1 + d - 1]["enabled"]]
        return (int(self.gui.text(self.calendar, id=YEAR)), int(self.gui.text(self.calendar, id=MONTH)), enabled)

    def click_day(self, day):
        self.gui.click(self.calendar, DAY1 + day - 1)

    def clear(self):
        self.gui.click(self.list, CLEAR)

    def double_click(self, row):
        self.gui.list_dblclick(self.list, row, id=ROWS)


def video_area_of_pane0(gui, main):
    """The picture window of the first play pane, or None when the panes have none."""
    try:
        area = gui.control(main, VIDEO_AREA)
    except DriverError:
        return None
    grid = gui.parent(gui.parent(area))
    panes = [line.split()[0] for line in gui.drive("children", window=grid).splitlines()]
    first = min(panes, key=lambda p: (gui.state(p)["rect"][1], gui.state(p)["rect"][0]))
    return gui.control(first, VIDEO_AREA)


def screen_area(gui, shot, rect):
    """The pixels of `rect` (screen left, top, right, bottom) of a screenshot:
    (width, rows of (r, g, b) tuples)."""
    left, top, right, bottom = rect
    width, height = right - left, bottom - top
    ppm = subprocess.run(["convert", str(shot), "-crop", f"{width}x{height}+{left}+{top}", "+repage", "-depth", "8",
                          "ppm:-"], check=True, capture_output=True).stdout
    # P6 <w> <h> <max>, then the bytes.
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        end = at
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[at:end])
        at = end
    data = ppm[at + 1:]
    w, h = int(fields[1]), int(fields[2])
    return w, [[tuple(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]


def read_card_marker(pixels, width, height, card=(352, 288)):
    """The frame time (microseconds) the frame card's marker carries, read from
    the card stretched over width x height pixels; None when unreadable. The
    marker: 9 rows of 8 cells of 10 pixels from (16, 16) of the card, a row a
    byte of the time (least significant first, the high bit left, a white cell
    a set bit), the last row the check byte (every byte XORed, then 0x5A)."""
    sx, sy = width / card[0], height / card[1]
    value, check = 0, 0
    for row in range(9):
        byte = 0
        for col in range(8):
            x, y = int((16 + col * 10 + 5) * sx), int((16 + row * 10 + 5) * sy)
            if y >= len(pixels) or x >= len(pixels[y]):
                return None
            level = sum(pixels[y][x]) // 3
            if 64 < level < 192:
                return None
            if level >= 192:
                byte |= 0x80 >> col
        if row < 8:
            value |= byte << (8 * row)
            check ^= byte
        elif byte != check ^ 0x5A:
            return None
    return value


# -- the test ------------------------------------------------------------------------------

class DiskReviewTest(unittest.TestCase):
    def review(self, version):
        """The review of a disk of format `version` (1, 2, or "dvrfs", whose
        review also plays its first row)."""
        gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix=f"vek_review_{version}_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        image = work / "recorder.img"
        dvrfs = version == "dvrfs"
        if dvrfs:
            recordings = make_dvrfs_image(gui, image)
        else:
            months = make_image(gui, version, image)
        drive = DriveStandIn(gui, image, work / "x_drive")
        self.addCleanup(drive.remove)
        drive.plug()

        # What the reader finds: the days of the months the month search
        # covers (from January ten years back), the rows of the first two days.
        today = date.today()
        if dvrfs:
            days = sorted({d for _, d, *_ in recordings if d >= f"{today.year % 100 - 10:02d}01"})
            rows_of = lambda day: dvrfs_rows(recordings, day)  # noqa: E731
        else:
            days = reader_days(gui, version, [m for m in months if m >= f"{today.year - 10}-01"])
            rows_of = lambda day: reader_rows(gui, version, day)  # noqa: E731
        self.assertGreaterEqual(len(days), 2)
        first_month = [d for d in days if d[:4] == days[0][:4]]
        want_first = rows_of(days[0])
        want_second = rows_of(first_month[1])

        app, main = start_movarel(gui, work)
        self.addCleanup(stop, app)
        page = DiskPage(gui, main)

        page.select_disk()
        self.assertEqual(page.searched(), want_first)
        if dvrfs:
            area = video_area_of_pane0(gui, main)
            self.assertIsNotNone(area)
            self.plays_first_row(gui, area, page, work)
        year, month, enabled = page.calendar_state()
        self.assertEqual((year % 100, month), (int(days[0][:2]), int(days[0][2:4])))
        self.assertEqual(enabled, [int(d[4:6]) for d in first_month])
        years = sorted({2000 + int(d[:2]) for d in days})
        self.assertEqual(gui.items(page.calendar, id=YEAR), [str(y) for y in years])

        page.click_day(int(first_month[1][4:6]))
        self.assertEqual(page.wait_rows(len(want_second), other_than=want_first), want_second)

        page.clear()
        wait_for(lambda: not page.rows(), "an empty list")
        self.assertEqual(page.calendar_state(), (today.year, today.month, [today.day]))
        self.assertEqual(page.status(), "Search State")

        # Pulled while open: closed once, said once.
        page.select_disk()
        page.searched()
        drive.pull()
        self.assertIsNone(gui.device_notice(main, DBT_DEVICEREMOVECOMPLETE, volume=LETTER))  # the box is up
        self.assertIn("Equipment has been pulled out!", gui.answer_box(IDOK, caption=""))
        wait_for(lambda: not page.rows(), "an empty list")
        self.assertEqual(page.calendar_state(), (today.year, today.month, [today.day]))
        # A disk already closed answers at once (no box): waited for as long as a busy machine needs.
        self.assertEqual(gui.device_notice(main, DBT_DEVICEREMOVECOMPLETE, volume=LETTER, timeout=30000), 1)
        with self.assertRaises(DriverError):
            gui.find(cls="#32770", caption="", timeout=2000)

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        code, _ = app.wait(30)
        self.assertEqual(code, 0)

    def plays_first_row(self, gui, area, page, work):
        """A double click on the first row (channel 1) plays it in pane 1, whose
        picture window is `area`: the frame time the card shows lies within
        the record."""
        (file, channel, _), _ = page.rows()[0]
        self.assertEqual(channel, "1")  # pane 0
        page.double_click(0)

        # The record's span, in microseconds since 1970 (the program runs in UTC).
        day, start, end = file[:6], file[7:15], file[16:24]
        base = time.mktime(time.strptime(f"20{day} 00:00:00", "%Y%m%d %H:%M:%S")) - time.timezone
        span = [int((base + int(t[0:2]) * 3600 + int(t[3:5]) * 60 + int(t[6:8])) * 1e6) for t in (start, end)]

        def marker():
            rect = gui.state(area)["rect"]
            width, pixels = screen_area(gui, gui.screenshot(work / "pane.png"), rect)
            return read_card_marker(pixels, width, len(pixels))
        shown = wait_for(marker, "a frame card in pane 1", timeout=30)
        self.assertGreaterEqual(shown, span[0])
        self.assertLessEqual(shown, span[1])

    def test_format_version_1(self):
        self.review(1)

    def test_format_version_2(self):
        self.review(2)

    def test_dvrfs(self):
        self.review("dvrfs")

    def test_a_double_click_plays_the_row_in_its_pane(self):
        gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix="vek_review_play_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        image = work / "recorder.img"
        make_image(gui, 2, image)
        drive = DriveStandIn(gui, image, work / "x_drive")
        self.addCleanup(drive.remove)
        drive.plug()

        app, main = start_movarel(gui, work)
        self.addCleanup(stop, app)
        area = video_area_of_pane0(gui, main)
        if area is None:
            self.skipTest("the play panes have no picture window yet (CDlgPlayWnd not built)")
        page = DiskPage(gui, main)
        page.select_disk()
        page.searched()
        self.plays_first_row(gui, area, page, work)

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

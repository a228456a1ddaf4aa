#!/usr/bin/env python3
"""Movarel.exe wearing its skin (Vista.vyrstyles beside it) under Wine, driven
from outside: the disk page, the network page, the file player, the settings
dialog and the export dialog are opened one after the other and each is saved
as BUILD_DIR/screenshots/skinned_<screen>.png. The mode bar's owner-drawn
picture buttons keep their own look, and the disk page's check box is drawn by
the skin, not as the system's white box.

    skinned_program_test.py BUILD_DIR
"""

import shutil
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
from disk_review_test import DiskPage, start_movarel, stop, wait_for  # noqa: E402
from gui_driver import WineGui  # noqa: E402

BUILD = None

WM_CLOSE, BM_CLICK = 0x0010, 0x00F5
# The mode bar (res/resource.h): its picture buttons.
REMOTE_PLAY, CONFIG, FILE_PLAY = 1022, 1041, 1184
EXPORT = 1012  # the recording list's
SYNC_PLAY = 1044  # the playback page's check box (res/playback_ids.h)
LOCAL_BUTTON_SHOWN = "2A6CB0"  # the mode bar's Local Play button, as movarel_start_test.py reads it


class SkinnedProgramTest(unittest.TestCase):
    def setUp(self):
        self.gui = WineGui(BUILD)
        self.work = Path(tempfile.mkdtemp(prefix="vek_skinned_"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        self.shots = Path(BUILD) / "screenshots"
        self.shots.mkdir(exist_ok=True)

    def shot(self, name, window):
        """A screenshot once `window`, the screen just opened, has painted."""
        self.gui.wait_painted(window)
        path = self.shots / f"skinned_{name}.png"
        self.gui.screenshot(path)
        return path

    def test_every_screen_wears_the_skin_and_the_picture_buttons_keep_their_look(self):
        app, main = start_movarel(self.gui, self.work)
        self.addCleanup(stop, app)
        wait_for(lambda: self.gui.state(main)["client"][1] > 850, "the maximised main window", timeout=20)

        # The disk page: the playback page's check box is the skin's glyph.
        shot = self.shot("disk_page", main)
        self.assertEqual(self.gui.pixel(main, 3, 2).upper(), LOCAL_BUTTON_SHOWN)
        bar = self.gui.parent(main, id=FILE_PLAY)  # ids below 1184 repeat on other pages
        sync = self.gui.parent(main, id=SYNC_PLAY)
        left, top, _, bottom = self.gui.state(sync, id=SYNC_PLAY)["rect"]
        glyph = WineGui.screen_pixel(shot, left + 6, (top + bottom) // 2).upper()
        self.assertNotEqual(glyph, "FFFFFF", "the check box is drawn by the system")

        # The settings dialog, from the mode bar.
        self.gui.click(bar, CONFIG)
        settings = self.gui.find(caption="Param Config", cls="#32770", timeout=30000)
        self.shot("settings_dialog", settings)
        self.gui.post(settings, WM_CLOSE)
        self.gui.wait_gone(settings)

        # The export dialog, from the recording list.
        page = DiskPage(self.gui, main)
        self.gui.click(page.list, EXPORT)
        export = self.gui.find(caption="Export video files", cls="#32770", timeout=30000)
        self.shot("export_dialog", export)
        self.gui.post(export, WM_CLOSE)
        self.gui.wait_gone(export)

        # The network page and the file player. The clicks are sent, not
        # posted: the page has changed when the painting is waited for.
        self.gui.send(self.gui.control(bar, REMOTE_PLAY), BM_CLICK)
        self.shot("network_page", main)
        self.gui.send(self.gui.control(bar, FILE_PLAY), BM_CLICK)
        self.shot("file_player", main)

        self.gui.post(main, WM_CLOSE)
        self.gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

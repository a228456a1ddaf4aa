#!/usr/bin/env python3
"""Movarel.exe from the deliverables folder, driven from outside under Wine
(tests/gui/gui_driver.py): it starts, shows its main window maximised with the
mode bar on top (saved as BUILD_DIR/screenshots/main_window.png), and closes on
WM_CLOSE with exit code 0. The start-up trace it writes (VEK_STARTUP_TRACE)
shows every step in its order, and a start without an ini file creates no
Config folder and no crash dump.

    movarel_start_test.py BUILD_DIR
"""

import shutil
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
from gui_driver import WineGui  # noqa: E402

WM_CLOSE = 0x0010
BUILD = None
# Colours of res/pictures.txt.
LOCAL_BUTTON_SHOWN = "2A6CB0"
BAR_BACKGROUND = "141414"

# Each step in order, with the details that hold for a start without an ini
# file; with one (left in the folder by hand) the settings' details are not
# compared.
STEPS = [
    "SetHookedGroups 7",
    "OpenSkin 0",  # no skin file: the system's look
    "SkinNewThreads 0",
    "InitCommonControlsEx",
    "SetUnhandledExceptionFilter",
    "CWinApp::InitInstance",
    "AppConfig",
    "OpenOffsetDb 1",
    "ReadConfig 0",
    "LoadLanguageDll English",
    "VekUseWaterMarkDecorder 0",
    "VekPlayInitPlayLib 0",
    "VekNetInit 0",
    "CLumeradDlg",
    "LoadOffsetTable 176 rows",
    "DoModal",
    "DoModal returned 2",  # IDCANCEL, from WM_CLOSE
    "ExitInstance",
    "VekNetRelease 0",
    "VekPlayDeinitPlayLib 0",
]
SETTINGS_STEPS = ("ReadConfig", "LoadLanguageDll", "VekUseWaterMarkDecorder")


class MovarelStartTest(unittest.TestCase):
    def test_shows_the_main_window_and_traces_the_start_up_in_order(self):
        gui = WineGui(BUILD)
        bin_dir = Path(BUILD) / "bin"
        had_config = (bin_dir / "Config").exists()
        work = tempfile.mkdtemp(prefix="vek_start_")
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        trace = Path(work) / "trace.txt"
        windows_trace = "Z:" + str(trace).replace("/", "\\")

        app = gui.start(gui.bin("Movarel.exe"), env={"VEK_STARTUP_TRACE": windows_trace})
        try:
            # The driver is started once the program runs its main window: a
            # Wine program started while another one is still starting up can
            # stall for a long time.
            deadline = time.monotonic() + 30
            while "DoModal" not in (trace.read_text() if trace.exists() else ""):
                self.assertTrue(app.running(), "Movarel.exe ended during its start-up")
                self.assertLess(time.monotonic(), deadline, "Movarel.exe did not reach its main window")
                time.sleep(0.1)
            main = gui.find(caption="Corvane Movarel", cls="#32770", timeout=30000)
            # Maximised on the 1280 x 1024 desktop: wider than the 1280 x 850
            # it is first placed at would allow.
            deadline = time.monotonic() + 10
            while True:
                state = gui.state(main)
                width, height = state["client"]
                if height > 850 or time.monotonic() > deadline:
                    break
                time.sleep(0.1)
            self.assertEqual(state["visible"], 1)
            self.assertGreater(width, 1150)
            self.assertGreater(height, 850)
            # The mode bar: the local play button (the mode shown, drawn
            # disabled) at its left, the bar's background at its right; the
            # black line between the bar and the page. The bar paints once the
            # pages below it are laid out at the maximised size: give it time.
            deadline = time.monotonic() + 10
            while gui.pixel(main, 3, 2) != LOCAL_BUTTON_SHOWN and time.monotonic() < deadline:
                time.sleep(0.1)
            self.assertEqual(gui.pixel(main, 3, 2), LOCAL_BUTTON_SHOWN)
            self.assertEqual(gui.pixel(main, width - 5, 10), BAR_BACKGROUND)
            self.assertEqual(gui.pixel(main, width // 2, 32), "000000")
            shots = Path(BUILD) / "screenshots"
            shots.mkdir(exist_ok=True)
            gui.screenshot(shots / "main_window.png")
            gui.post(main, WM_CLOSE)
            gui.wait_gone(main)
            code, _ = app.wait(30)
            self.assertEqual(code, 0)
        finally:
            if app.running():
                app.process.kill()

        lines = trace.read_text().splitlines()
        expected = list(STEPS)
        if had_config:
            cut = lambda line: next((s for s in SETTINGS_STEPS if line.startswith(s)), line)  # noqa: E731
            lines, expected = [cut(line) for line in lines], [cut(line) for line in expected]
        self.assertEqual(lines, expected)
        self.assertEqual((bin_dir / "Config").exists(), had_config)
        self.assertFalse((bin_dir / "Dravik.dmp").exists())


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

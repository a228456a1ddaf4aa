#!/usr/bin/env python3
"""Movarel.exe from the deliverables folder, driven from outside under Wine
(tests/gui/gui_driver.py): it starts with its skin open, shows its main window
maximised with the mode bar on top (saved as BUILD_DIR/screenshots/
main_window.png), and closes on WM_CLOSE with exit code 0. The start-up trace
it writes (VEK_STARTUP_TRACE) shows every step in its order, and a start
without an ini file creates no Config folder and no crash dump. Started from a
folder without the skin file it runs the same way, unskinned, without any
message box (saved as main_window_unskinned.png).

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
    "OpenSkin 1",  # the skin file beside the program is applied
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
    def run_movarel(self, exe, screenshot):
        """Starts `exe`, checks its main window, saves a screenshot, closes it:
        the trace's lines and the top-level windows seen."""
        gui = WineGui(BUILD)
        work = tempfile.mkdtemp(prefix="vek_start_")
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        trace = Path(work) / "trace.txt"
        windows_trace = "Z:" + str(trace).replace("/", "\\")

        app = gui.start(exe, env={"VEK_STARTUP_TRACE": windows_trace})
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
            # Maximised on the 1280 x 1024 desktop (wider than the 1280 x 850
            # it is first placed at would allow) and painted there. The mode
            # bar: the local play button (the mode shown, drawn disabled) at
            # its left, the bar's background at its right; the black line
            # between the bar and the page. Each is painted by a window of its
            # own, in no set order, and a busy machine may show the maximised
            # window before any of them has painted: all are waited for, and
            # read again at the size they were painted at.
            deadline = time.monotonic() + 20
            while True:
                state = gui.state(main)
                width, height = state["client"]
                probes = {(3, 2): LOCAL_BUTTON_SHOWN, (width - 5, 10): BAR_BACKGROUND, (width // 2, 32): "000000"}
                seen = {at: gui.pixel(main, *at) for at in probes} if height > 850 else {}
                if seen == probes or time.monotonic() > deadline:
                    break
                time.sleep(0.2)
            self.assertEqual(state["visible"], 1)
            self.assertGreater(width, 1150)
            self.assertGreater(height, 850)
            self.assertEqual(seen, probes)
            windows = gui.drive("windows").splitlines()
            shots = Path(BUILD) / "screenshots"
            shots.mkdir(exist_ok=True)
            gui.screenshot(shots / screenshot)
            gui.post(main, WM_CLOSE)
            gui.wait_gone(main)
            code, _ = app.wait(30)
            self.assertEqual(code, 0)
        finally:
            if app.running():
                app.process.kill()
        return trace.read_text().splitlines(), windows

    def check_trace(self, lines, expected, had_config):
        expected = list(expected)
        if had_config:
            cut = lambda line: next((s for s in SETTINGS_STEPS if line.startswith(s)), line)  # noqa: E731
            lines, expected = [cut(line) for line in lines], [cut(line) for line in expected]
        self.assertEqual(lines, expected)

    def test_shows_the_main_window_and_traces_the_start_up_in_order(self):
        bin_dir = Path(BUILD) / "bin"
        had_config = (bin_dir / "Config").exists()
        lines, _ = self.run_movarel(str(bin_dir / "Movarel.exe"), "main_window.png")
        self.check_trace(lines, STEPS, had_config)
        self.assertEqual((bin_dir / "Config").exists(), had_config)
        self.assertFalse((bin_dir / "Dravik.dmp").exists())

    def test_runs_unskinned_without_a_message_box_when_the_skin_file_is_missing(self):
        bin_dir = Path(BUILD) / "bin"
        # The deliverables folder without the skin file: links to everything else.
        folder = Path(tempfile.mkdtemp(prefix="vek_noskin_", dir=BUILD))
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        for entry in bin_dir.iterdir():
            if entry.name != "Vista.vyrstyles":
                (folder / entry.name).symlink_to(entry)
        had_config = (folder / "Config").exists()
        lines, windows = self.run_movarel(str(folder / "Movarel.exe"), "main_window_unskinned.png")
        expected = ["OpenSkin 0" if step == "OpenSkin 1" else step for step in STEPS]
        self.check_trace(lines, expected, had_config)
        dialogs = [line for line in windows if line.split(" ")[1:2] == ["#32770"]]
        self.assertEqual(len(dialogs), 1, windows)  # the main window only
        self.assertIn('"Corvane Movarel"', dialogs[0])


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

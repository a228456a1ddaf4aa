#!/usr/bin/env python3
"""The out-of-process driver on a program of its own (driver_target.exe):
type, select, check, a real message box answered from outside, a pixel read
from the window and from a screenshot, and the program's exit.

    uidriver_test.py BUILD_DIR
"""

import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_driver import DriverError, WineGui  # noqa: E402

IDOK, IDCANCEL = 1, 2
IDC_NAME, IDC_KIND, IDC_FLAG, IDC_ASK, IDC_ANSWER, IDC_SWATCH, IDC_KIND_SEEN = 1001, 1002, 1003, 1004, 1005, 1006, 1007
SWATCH = "339966"
BUILD = None


def read_until(read, want, timeout=30):
    """What `read` gives once it gives `want`, or at the deadline: the driver
    posts clicks and notifications, which the target may take only after the
    driver has ended."""
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if value == want or time.monotonic() > deadline:
            return value
        time.sleep(0.1)


class UiDriverTest(unittest.TestCase):
    def test_driving_a_dialog_from_outside(self):
        gui = WineGui(BUILD)
        app = gui.start(gui.testbin("driver_target.exe"))
        try:
            dialog = gui.find(caption="Driver Target", cls="#32770")

            gui.set_text(dialog, "Front door", id=IDC_NAME)
            self.assertEqual(gui.text(dialog, id=IDC_NAME), "Front door")
            gui.select(dialog, IDC_KIND, 1)
            # CBN_SELCHANGE arrived.
            self.assertEqual(read_until(lambda: gui.text(dialog, id=IDC_KIND_SEEN), "kind=1"), "kind=1")
            gui.click(dialog, IDC_FLAG)
            self.assertEqual(read_until(lambda: gui.checked(dialog, IDC_FLAG), 1), 1)

            # A real message box, answered from outside; the click did not block the driver.
            gui.click(dialog, IDC_ASK)
            self.assertIn("Really?", gui.answer_box(IDCANCEL, caption="Question"))
            answer = f"answer={IDCANCEL}"
            self.assertEqual(read_until(lambda: gui.text(dialog, id=IDC_ANSWER), answer), answer)

            # The owner-drawn swatch, from the screen and from a screenshot,
            # once the dialog has painted again where the box was.
            gui.wait_painted(dialog)
            self.assertEqual(gui.pixel(dialog, 5, 5, id=IDC_SWATCH), SWATCH)
            swatch = gui.state(dialog, id=IDC_SWATCH)
            left, top, right, bottom = swatch["rect"]
            shot = gui.screenshot(Path(tempfile.mkdtemp()) / "target.png")
            self.assertEqual(gui.screen_pixel(shot, (left + right) // 2, (top + bottom) // 2), SWATCH)

            with self.assertRaises(DriverError):
                gui.control(dialog, 4242)

            gui.click(dialog, IDOK)
            gui.wait_gone(dialog)
            code, out = app.wait()
            self.assertEqual(code, 3)
            self.assertIn(f"name=Front door kind=1 flag=1 answer={IDCANCEL}", out)
        finally:
            if app.running():
                app.process.kill()


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

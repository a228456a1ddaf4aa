#!/usr/bin/env python3
"""Movarel.exe's network page against a recorder that keeps the link (it
answers pings) but never answers a record query: simrecorder.exe
--silent-queries on 127.0.0.1, driven from outside under Wine
(tests/gui/gui_driver.py):

- logged in with the four channels checked, Month Search leaves the window
  answering: every message sent to it while the search runs and after is
  answered (the driver gives a sent message 5 s);
- the page then shows the lost link: "Network connection fails" in the login
  form that comes back, Login enabled, Month Search enabled again; the
  program then closes cleanly.

    silent_recorder_test.py BUILD_DIR
"""

import shutil
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import disk_review_test as review  # noqa: E402
import remote_play_test as remote  # noqa: E402
from gui_driver import DriverError, WineGui  # noqa: E402

BUILD = None

WM_NULL, WM_CLOSE = 0x0000, 0x0010
MONTH_SEARCH = 1049
LOST = "Network connection fails"


class SilentRecorderTest(unittest.TestCase):
    def test_month_search_of_a_recorder_that_never_answers_loses_the_link_and_the_window_answers(self):
        gui = WineGui(BUILD)
        work = Path(tempfile.mkdtemp(prefix="vek_silent_recorder_"))
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        sim, port = remote.start_simulator(gui, "--silent-queries")
        self.addCleanup(review.stop, sim)
        app, main = review.start_movarel(gui, work)
        self.addCleanup(review.stop, app)
        net = remote.NetPage(gui, main)
        net.choose()
        net.log_in(port)
        review.wait_for(lambda: len(net.tree()) == 5, "the recorder's tree")
        review.wait_for(lambda: gui.state(net.info)["visible"], "the device information")
        for item in range(1, 5):
            gui.tree_check(net.list, item, id=remote.TREE)
        self.assertTrue(all(check == 1 for _, check, _ in net.tree()[1:]))

        gui.click(net.list, MONTH_SEARCH)
        deadline = time.monotonic() + 60
        while True:
            try:
                self.assertEqual(gui.send(net.list, WM_NULL), 0)
            except DriverError as e:
                self.fail(f"the window left a message unanswered for 5 s: {e}")
            if net.status() == LOST:
                break
            self.assertLess(time.monotonic(), deadline, "the lost link's text")
        self.assertTrue(gui.state(net.form)["visible"], "the login form shows the text")
        self.assertFalse(gui.state(net.info)["visible"])
        self.assertTrue(net.enabled(net.list, remote.LOGIN))
        self.assertTrue(net.enabled(net.list, MONTH_SEARCH))
        self.assertTrue(sim.running())  # the recorder still holds the link

        gui.post(main, WM_CLOSE)
        gui.wait_gone(main)
        self.assertEqual(app.wait(30)[0], 0)


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

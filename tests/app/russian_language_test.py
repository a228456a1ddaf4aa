#!/usr/bin/env python3
"""Movarel.exe switched to Russian through its settings dialog, under Wine with
a Russian locale (so the programs' ANSI code page is 1251), driven from
outside (tests/gui/gui_driver.py): a copy of the deliverables folder starts
in English; the settings dialog's system page picks Russian; OK asks for the
restart, and agreeing writes the ini file, ends the running process with
exit code 0 and starts a new one, whose mode bar and recording list show
their Russian texts.

The Russian locale is made for the test (localedef, from Debian's locales
package) into a folder of the build tree that LOCPATH names, so the machine's
own locales are left alone.

    russian_language_test.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "gui"))
from gui_driver import DriverError, WineGui  # noqa: E402

BUILD = None
WM_NULL, WM_CLOSE = 0x0000, 0x0010
IDOK = 1
# Controls: the mode bar, the settings dialog and its system page, the
# recording list.
LOCAL_PLAY, REMOTE_PLAY, HELP, CONFIG, FILE_PLAY = 1021, 1022, 1023, 1041, 1184
SYSTEM_SET, SETTING_OK, LANGUAGE = 1209, 1090, 1208
SELECT_DISK, EXPORT, SELECT_CHANNEL, CLEAR = 1011, 1012, 1013, 1042
DELIVERABLES = ("Movarel.exe", "VKFS.dll", "vekfs_api.dll", "vekfs2_api.dll", "VekPlay.dll", "VekNet.dll",
                "GoogleMapOffset.db", "Vista.vyrstyles", "Language")

ENGLISH = {LOCAL_PLAY: "Local Play", CONFIG: "Config", HELP: "Help", REMOTE_PLAY: "Remote Play",
           FILE_PLAY: "File Play", SELECT_DISK: "Select Disk", EXPORT: "Export",
           SELECT_CHANNEL: "Select Channel", CLEAR: "Clear"}
RUSSIAN = {LOCAL_PLAY: "Локально", CONFIG: "Настройки", HELP: "Справка", REMOTE_PLAY: "Удалённо",
           FILE_PLAY: "Файлы", SELECT_DISK: "Выбрать диск", EXPORT: "Экспорт",
           SELECT_CHANNEL: "Выбрать каналы", CLEAR: "Очистить"}


def russian_locale(folder):
    """Makes ru_RU.UTF-8 under `folder` (once); the value for LOCPATH."""
    target = folder / "ru_RU.UTF-8"
    if not (target / "LC_CTYPE").exists():
        folder.mkdir(parents=True, exist_ok=True)
        subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8", str(target)], check=True,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    return str(folder)


class RussianLanguageTest(unittest.TestCase):
    def setUp(self):
        build = Path(BUILD).resolve()
        os.environ.update({"LOCPATH": russian_locale(build / "locale"), "LANG": "ru_RU.UTF-8",
                           "LC_ALL": "ru_RU.UTF-8"})
        self.gui = WineGui(build, encoding="cp1251")
        self.folder = Path(tempfile.mkdtemp(prefix="vek_russian_", dir=build))
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        for name in DELIVERABLES:
            source = build / "bin" / name
            if source.is_dir():
                shutil.copytree(source, self.folder / name)
            else:
                shutil.copy2(source, self.folder / name)
        self.windows = []

    def tearDown(self):
        for window in self.windows:
            try:
                self.gui.post(window, WM_CLOSE)
                self.gui.wait_gone(window, timeout=20000)
            except DriverError:
                pass

    def main_window(self, other_than=None):
        deadline = time.monotonic() + 60
        while True:
            window = self.gui.find(caption="Corvane Movarel", cls="#32770", timeout=60000)
            if window != other_than:
                # Up once its pages are (the recording list's buttons exist)
                # and its message loop runs: until then a start that took over
                # 5 s since its first window counts as hung, and the driver's
                # reads fail at once rather than wait.
                try:
                    self.gui.control(window, id=SELECT_DISK)
                    self.gui.send(window, WM_NULL)
                    return window
                except DriverError:
                    pass
            self.assertLess(time.monotonic(), deadline, "no new main window")
            time.sleep(0.2)

    def texts(self, window):
        """The buttons' texts, each read from its own dialog (their ids recur
        elsewhere in the main window)."""
        bar = self.gui.parent(window, id=FILE_PLAY)
        files = self.gui.parent(window, id=SELECT_DISK)
        return {id: self.gui.text(files if id in (SELECT_DISK, EXPORT, SELECT_CHANNEL, CLEAR) else bar, id=id)
                for id in ENGLISH}

    def test_choosing_russian_restarts_the_program_in_russian(self):
        app = self.gui.start(str(self.folder / "Movarel.exe"))
        try:
            old = self.main_window()
            self.windows.append(old)
            self.assertEqual(self.texts(old), ENGLISH)

            self.gui.click(self.gui.parent(old, id=FILE_PLAY), CONFIG)
            settings = self.gui.find(caption="Param Config", cls="#32770", timeout=30000)
            self.gui.click(settings, SYSTEM_SET)
            self.assertEqual(self.gui.items(settings, id=LANGUAGE), ["English", "Russian"])
            self.gui.select(settings, LANGUAGE, 1)
            self.gui.click(settings, SETTING_OK)
            box = self.gui.answer_box(IDOK, caption="Warning", timeout=30000)
            self.assertIn("The parameters have been changed, restart software?", box)

            code, _ = app.wait(60)
            self.assertEqual(code, 0)
            self.windows.remove(old)
            ini = (self.folder / "Config" / "Lumerad.ini").read_text(encoding="ascii", errors="replace")
            self.assertIn("lang=259", ini.replace(" ", ""))

            new = self.main_window(other_than=old)
            self.windows.append(new)
            self.assertEqual(self.texts(new), RUSSIAN)
        finally:
            if app.running():
                app.process.kill()


if __name__ == "__main__":
    BUILD = sys.argv.pop(1)
    unittest.main()

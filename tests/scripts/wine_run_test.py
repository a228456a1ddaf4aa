#!/usr/bin/env python3
"""scripts/wine-run starts Wine programs through Wine's preloader, with the
address space laid out as the system sets it, and its check of a Wine
process refuses one that did not come through the preloader:

  * a program the session runs came through the preloader, its personality
    does not turn randomisation off, and two starts place Wine's ntdll.so
    apart (the system must randomise: a machine that does not fails it);
  * a process that loaded Windows code without the preloader is refused,
    naming the package to install;
  * a process that ended before it loaded Windows code is refused, saying so.

    wine_run_test.py BUILD_DIR
"""

import glob
import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
WINE_RUN = str(REPO / "scripts" / "wine-run")
BUILD = None
ADDR_NO_RANDOMIZE = 0x0040000


def wait_for(condition, what, seconds=30):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"{what} did not come within {seconds} s")
        time.sleep(0.05)


def children_of(pid):
    children = []
    for stat in glob.glob("/proc/[0-9]*/stat"):
        try:
            fields = Path(stat).read_text().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[1]) == pid:
            children.append(int(stat.split("/")[2]))
    return children


def loads_windows_code(pid):
    try:
        return "/x86_64-windows/" in Path(f"/proc/{pid}/maps").read_text()
    except OSError:
        return False


def check_loader(pid):
    return subprocess.run([WINE_RUN, "--build", str(BUILD), "--check-loader", str(pid)],
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=90)


class Program:
    """`cmd` under the session, reading a pipe this keeps open: its Wine process."""

    def __init__(self, testcase):
        self.run = subprocess.Popen([WINE_RUN, "--build", str(BUILD), "cmd"], stdin=subprocess.PIPE,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        testcase.addCleanup(self.end)
        # wine-run's child that runs Windows code: the Wine process.
        self.pid = None

        def started():
            self.pid = next((c for c in children_of(self.run.pid) if loads_windows_code(c)), None)
            return self.pid

        wait_for(started, "a process of wine-run's cmd with Windows code")

    def mapping(self, name):
        """The first line of the process's maps whose file ends in `name`, once
        there is one (the process goes on loading after its first DLL)."""
        found = []

        def mapped():
            found[:] = [line for line in Path(f"/proc/{self.pid}/maps").read_text().splitlines()
                        if line.endswith(name)][:1]
            return found

        wait_for(mapped, f"{name} in the maps of cmd's process {self.pid}")
        return found[0]

    def mapped(self, name):
        return self.mapping(name).split()[-1]

    def ntdll_at(self):
        return self.mapping("/ntdll.so").split("-", 1)[0]

    def end(self):
        self.run.stdin.close()
        self.run.wait(timeout=60)


class WineRun(unittest.TestCase):
    def test_a_program_comes_through_the_preloader_with_the_layout_randomised(self):
        first = Program(self)
        check = check_loader(first.pid)
        self.assertEqual(check.returncode, 0, check.stderr)
        personality = int(Path(f"/proc/{first.pid}/personality").read_text(), 16)
        self.assertEqual(personality & ADDR_NO_RANDOMIZE, 0, f"personality {personality:#x}")
        # Where the system randomises (it must: this is the defence kept), two
        # starts place Wine's libraries apart.
        self.assertNotEqual(Path("/proc/sys/kernel/randomize_va_space").read_text().strip(), "0",
                            "the system does not randomise the address space (kernel.randomize_va_space = 0)")
        second = Program(self)
        self.assertNotEqual(first.ntdll_at(), second.ntdll_at(), "ntdll.so at the same address twice")

    def test_a_process_that_did_not_come_through_the_preloader_is_refused(self):
        dll = Program(self).mapped("/x86_64-windows/kernel32.dll")
        # A process that has Windows code mapped, as a Wine started without
        # its preloader has, and is no preloader: the check must see through it.
        holder = subprocess.Popen(
            [sys.executable, "-c", "import mmap, sys; f = open(sys.argv[1], 'rb'); "
             "m = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ); sys.stdin.read()", dll],
            stdin=subprocess.PIPE)
        self.addCleanup(holder.wait, 30)
        self.addCleanup(holder.stdin.close)
        wait_for(lambda: loads_windows_code(holder.pid), "the mapped DLL")
        ended = subprocess.Popen(["true"])
        ended.wait()
        for pid, seen in [(holder.pid, f"it runs as {os.path.realpath(sys.executable)}, not through wine64-preloader"),
                          (ended.pid, "it ended before it loaded any Windows code")]:
            with self.subTest(seen=seen):
                check = check_loader(pid)
                self.assertEqual(check.returncode, 125, check.stderr)
                self.assertIn(f"process {pid}: {seen}", check.stderr)
                self.assertIn("Install Debian's package wine64-preloader", check.stderr)


if __name__ == "__main__":
    BUILD = Path(sys.argv.pop(1)).resolve()
    unittest.main()

"""Drives a Windows program of the build under Wine from a GUI test.

    gui = WineGui(build_dir)                   # the build tree's Wine session
    app = gui.start(gui.bin("Movarel.exe"))    # runs under scripts/wine-run
    main = gui.find(caption="Corvane Movarel")
    gui.click(main, 1041)
    box = gui.answer_box(button=1, caption="Warning")   # the box's texts
    gui.screenshot("/tmp/shot.png"); gui.screen_pixel("/tmp/shot.png", x, y)
    code, out = app.wait(10)

Every action runs uidriver.exe (tests/gui/uidriver) through scripts/wine-run;
window handles are strings such as "0x10064". A failed action raises
DriverError with the driver's message; a start of the driver that ended before
it ran (scripts/wine-run says so) raises WineStartFailed. Screenshots use ImageMagick's
`import -window root` on the session's display. Python standard library only.

Making a WineGui brings the desktop to the state every test starts from
(`uidriver known-desktop`). Windows are found by class and caption on the
whole Wine desktop, and pixels and screenshots come from the shared screen: a
test using this runs alone (ctest RUN_SERIAL), so no window of another test
is found or covers its own.

Output of Wine programs is collected in files, never pipes: a Wine program
may start Wine's desktop process, which inherits its output handles and lives
on, so a pipe would never reach its end.
"""

import os
import subprocess
import tempfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]


class DriverError(Exception):
    pass


class WineStartFailed(Exception):
    """uidriver ended before its start mark (scripts/wine-run said so): not a
    failed action a test may wait out, so it is no DriverError."""


def _run_to_files(argv, timeout, encoding=None, **popen):
    """Runs argv with stdout and stderr in temporary files: (code, out, err)."""
    with tempfile.TemporaryFile("w+", encoding=encoding) as out, \
            tempfile.TemporaryFile("w+", encoding=encoding) as err:
        done = subprocess.run(argv, stdout=out, stderr=err, stdin=subprocess.DEVNULL, timeout=timeout, **popen)
        out.seek(0)
        err.seek(0)
        return done.returncode, out.read(), err.read()


class Program:
    """A program started under Wine; `wait` gives (exit code, stdout)."""

    def __init__(self, process, out):
        self.process = process
        self.out = out

    def wait(self, timeout=20):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise DriverError(f"the program did not end within {timeout} s; it printed: {self.output()!r}")
        return self.process.returncode, self.output()

    def output(self):
        self.out.seek(0)
        return self.out.read()

    def running(self):
        return self.process.poll() is None


class WineGui:
    def __init__(self, build_dir, encoding=None):
        """`encoding`: of the texts the driver reads (the programs' ANSI code page,
        e.g. "cp1251" under a Russian locale); None for the default."""
        self.build = Path(build_dir).resolve()
        self.encoding = encoding
        self.wine_run = str(REPO / "scripts" / "wine-run")
        self.uidriver = str(self.build / "testbin" / "uidriver.exe")
        subprocess.run([self.wine_run, "--build", str(self.build), "--start"], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.display = self._session_env().get("DISPLAY", os.environ.get("DISPLAY", ""))
        # Every test starts from the same desktop, whatever ran before it: no
        # button or key held, the pointer at rest where no window comes, no
        # window of another program shown.
        self.drive("known-desktop")

    def _session_env(self):
        code, out, err = _run_to_files([self.wine_run, "--build", str(self.build), "--env"], timeout=60)
        if code != 0:
            raise DriverError(f"wine-run --env: {err.strip()}")
        env = {}
        for line in out.splitlines():
            key, _, value = line.partition("=")
            env[key] = value.replace("\\", "") if key == "DISPLAY" else value
        return env

    def bin(self, name):
        return str(self.build / "bin" / name)

    def testbin(self, name):
        return str(self.build / "testbin" / name)

    def start(self, exe, *args, env=None):
        out = tempfile.TemporaryFile("w+")
        # The program works in the build tree, so what it writes into its working
        # folder (the recording access library's log.txt) never lands in the sources.
        process = subprocess.Popen([self.wine_run, "--build", str(self.build), exe, *args], cwd=self.build,
                                   stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                   env={**os.environ, **(env or {})})
        return Program(process, out)

    def drive(self, command, **options):
        argv = [self.wine_run, "--build", str(self.build), self.uidriver, command]
        for key, value in options.items():
            argv += ["--" + key.replace("_", "-"), str(value)]
        code, out, err = _run_to_files(argv, timeout=60, encoding=self.encoding)
        if "before its start mark" in err:
            raise WineStartFailed(f"uidriver {command} {options}: {err.strip()}")
        if code != 0:
            raise DriverError(f"uidriver {command} {options}: {err.strip() or code}")
        return out.strip()

    # -- windows and controls --------------------------------------------------------
    def find(self, caption=None, cls=None, timeout=10000):
        options = {"timeout": timeout}
        if caption is not None:
            options["caption"] = caption
        if cls is not None:
            options["class"] = cls
        return self.drive("find", **options)

    def wait_gone(self, window, timeout=10000):
        self.drive("wait-gone", window=window, timeout=timeout)

    def wait_painted(self, window, timeout=30000):
        """Waits until the window and the windows below it have painted and it shows it."""
        self.drive("wait-painted", window=window, timeout=timeout)

    def control(self, window, id):
        return self.drive("control", window=window, id=id)

    def click(self, window, id):
        self.drive("click", window=window, id=id)

    def set_text(self, window, text, id=None):
        self.drive("set-text", window=window, text=text, **({"id": id} if id is not None else {}))

    def text(self, window, id=None):
        return self.drive("text", window=window, **({"id": id} if id is not None else {}))

    def select(self, window, id, index):
        self.drive("select", window=window, id=id, index=index)

    def checked(self, window, id):
        return int(self.drive("check", window=window, id=id))

    def state(self, window, id=None):
        """{'visible': 1, 'enabled': 1, 'rect': (l, t, r, b), 'client': (w, h)}"""
        fields = dict(item.split("=", 1) for item in self.drive("state", window=window,
                                                               **({"id": id} if id is not None else {})).split())
        return {"visible": int(fields["visible"]), "enabled": int(fields["enabled"]),
                "rect": tuple(int(v) for v in fields["rect"].split(",")),
                "client": tuple(int(v) for v in fields["client"].split(","))}

    def send(self, window, msg, wparam=0, lparam=0):
        return int(self.drive("send", window=window, msg=msg, wparam=wparam, lparam=lparam))

    def post(self, window, msg, wparam=0, lparam=0):
        self.drive("post", window=window, msg=msg, wparam=wparam, lparam=lparam)

    def answer_box(self, button, caption=None, timeout=10000):
        """Clicks `button` (1 OK, 2 Cancel, 6 Yes, 7 No) of a message box; returns its texts."""
        options = {"button": button, "timeout": timeout}
        if caption is not None:
            options["caption"] = caption
        return self.drive("answer-box", **options).splitlines()

    def pixel(self, window, x, y, id=None):
        """'RRGGBB' at client (x, y) of the window (or its control), read from the screen."""
        return self.drive("pixel", window=window, x=x, y=y, **({"id": id} if id is not None else {}))

    def parent(self, window, id=None):
        return self.drive("parent", window=window, **({"id": id} if id is not None else {}))

    def children(self, window, id=None):
        """The direct children: {control id: {'window', 'visible', 'enabled', 'class', 'text'}}."""
        out = self.drive("children", window=window, **({"id": id} if id is not None else {}))
        found = {}
        for line in out.splitlines():
            handle, control, visible, enabled, cls, text = line.split(" ", 5)
            found[int(control)] = {"window": handle, "visible": int(visible), "enabled": int(enabled),
                                   "class": cls, "text": text[1:-1]}
        return found

    def items(self, window, id=None):
        """A combo box's items."""
        out = self.drive("items", window=window, **({"id": id} if id is not None else {}))
        return out.splitlines() if out else []

    def list_rows(self, window, id=None):
        """A report list's rows: [([column texts...], image index), ...]."""
        out = self.drive("list-rows", window=window, **({"id": id} if id is not None else {}))
        rows = []
        for line in out.splitlines():
            *texts, image = line.split("\t")
            rows.append((texts, int(image)))
        return rows

    def list_dblclick(self, window, row, id=None):
        self.drive("list-dblclick", window=window, row=row, **({"id": id} if id is not None else {}))

    def list_check(self, window, row, check=True, id=None):
        """Checks (or unchecks) row `row` of a list with check boxes."""
        self.drive("list-check", window=window, row=row, check=1 if check else 0,
                   **({"id": id} if id is not None else {}))

    def tree_items(self, window, id=None):
        """A tree's items depth first: [(depth, check -1/0/1, text), ...]."""
        out = self.drive("tree-items", window=window, **({"id": id} if id is not None else {}))
        items = []
        for line in out.splitlines():
            depth, check, text = line.split(" ", 2) if line.count(" ") >= 2 else (*line.split(" "), "")
            items.append((int(depth), int(check), text))
        return items

    def tree_check(self, window, item, check=True, id=None):
        """Checks (or unchecks) item `item` of tree_items' list."""
        self.drive("tree-check", window=window, item=item, check=1 if check else 0,
                   **({"id": id} if id is not None else {}))

    def click_at(self, window, x, y, id=None):
        """A left click at client (x, y) of the window (or its control)."""
        self.drive("click-at", window=window, x=x, y=y, **({"id": id} if id is not None else {}))

    def browse_select(self, browser, path):
        """Chooses `path` in a folder browser and presses OK; returns the tree item then selected."""
        return self.drive("browse-select", window=browser, path=path)

    def define_drive(self, letter, target, remove=False):
        """Makes (or removes) drive `letter` ("X:") as the system lists it, pointing at `target`."""
        self.drive("define-drive", letter=letter, target=target, **({"remove": 1} if remove else {}))

    def device_notice(self, window, event, volume=None, timeout=None):
        """Sends WM_DEVICECHANGE `event`, with a volume broadcast for drive `volume` ("X"); the
        answer, or None while the window is still handling it (a message box it shows) after
        `timeout` ms (the driver's 3000 by default)."""
        out = self.drive("device-notice", window=window, event=event,
                         **({"volume": volume} if volume is not None else {}),
                         **({"timeout": timeout} if timeout is not None else {}))
        return None if out == "pending" else int(out)

    # -- screenshots -------------------------------------------------------------------
    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", str(path)], check=True,
                       env={**os.environ, "DISPLAY": self.display}, capture_output=True, timeout=30)
        return path

    @staticmethod
    def screen_pixel(path, x, y):
        """'RRGGBB' of a screenshot at screen (x, y)."""
        out = subprocess.run(["convert", str(path), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                             check=True, capture_output=True, text=True).stdout
        for line in out.splitlines():
            if "#" in line and not line.startswith("#"):
                return line.split("#", 1)[1][:6].upper()
        raise DriverError(f"no pixel at {x},{y} in {path}: {out!r}")

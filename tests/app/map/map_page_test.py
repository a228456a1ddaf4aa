#!/usr/bin/env python3
"""The map page that ships beside Movarel.exe (GoogleMap/MapIndex.html), run in
a real browser: headless Chromium from Debian's package, driven over its
DevTools protocol on a pipe (no network, no third-party client).

The test does what the program's bridge does: it listens to the page's
"LoadHtmlFinish" element, answers with SetLanguage, and calls the page's
functions with a track, then a car moving along it. It reads the canvas back
and checks that the path's pixels lie where the track projects (by the fitting
rule the page documents, computed here on its own), that the markers and the
car are where they were put, and that the page raised its load event. It
also checks that the script keeps to what the system's browser control runs.
A screenshot of the page with the track goes to <build>/screenshots/map_page.png.

    map_page_test.py PAGE SCREENSHOT_DIR
"""

import base64
import json
import math
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

PAGE = None
SCREENSHOTS = None
WIDTH, HEIGHT = 800, 600
STATUS_HEIGHT, MARGIN, MIN_SPAN = 24, 32, 0.002
PATH_COLOUR = (0x3A, 0xA0, 0xFF)
CAR_COLOUR = (0xFF, 0xB0, 0x00)
START_COLOUR = (0x30, 0xC0, 0x50)
END_COLOUR = (0xE0, 0x40, 0x40)


class Browser:
    """Headless Chromium with its DevTools protocol on fds 3 (in) and 4 (out)."""

    def __init__(self, profile):
        chromium = shutil.which("chromium")
        if chromium is None:
            raise RuntimeError("chromium is not installed (scripts/setup installs it)")
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()
        flags = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-extensions", "--remote-debugging-pipe", f"--user-data-dir={profile}",
                 f"--window-size={WIDTH},{HEIGHT}", "about:blank"]
        command = " ".join(f"'{a}'" for a in [chromium] + flags)
        self.process = subprocess.Popen(
            ["sh", "-c", f"exec {command} 3<&{to_child_r} 4>&{from_child_w}"],
            pass_fds=(to_child_r, from_child_w), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def close(self):
        try:
            self.call("Browser.close", session=False, timeout=10)
        except Exception:  # noqa: BLE001 - the browser may be gone already
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.to_child)
        os.close(self.from_child)

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("no answer from the browser")
            ready, _, _ = select.select([self.from_child], [], [], left)
            if ready:
                chunk = os.read(self.from_child, 1 << 20)
                if not chunk:
                    raise RuntimeError("the browser closed its pipe")
                self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=True, timeout=30):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer.get("result", {})
            self.events.append(answer)

    def wait_event(self, method, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method:
                    return self.events.pop(i)
            self.events.append(self._read_message(deadline))

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def open_page(self, url):
        target = self.call("Target.createTarget", {"url": "about:blank"}, session=False)
        attached = self.call("Target.attachToTarget", {"targetId": target["targetId"], "flatten": True},
                             session=False)
        self.session = attached["sessionId"]
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": WIDTH, "height": HEIGHT, "deviceScaleFactor": 1, "mobile": False})
        self.call("Page.navigate", {"url": url})
        self.wait_event("Page.loadEventFired")


def project(points):
    """The page's documented fit, computed here: canvas positions of points."""
    lngs = [p[0] for p in points]
    lats = [p[1] for p in points]
    mid_lng, mid_lat = (min(lngs) + max(lngs)) / 2, (min(lats) + max(lats)) / 2
    span_lng, span_lat = max(max(lngs) - min(lngs), MIN_SPAN), max(max(lats) - min(lats), MIN_SPAN)
    kx = max(math.cos(math.radians(mid_lat)), 0.01)
    area_w, area_h = WIDTH - 2 * MARGIN, HEIGHT - STATUS_HEIGHT - 2 * MARGIN
    scale = min(area_w / (span_lng * kx), area_h / span_lat)
    cx, cy = MARGIN + area_w / 2, STATUS_HEIGHT + MARGIN + area_h / 2
    return lambda lng, lat: (cx + (lng - mid_lng) * kx * scale, cy - (lat - mid_lat) * scale)


def near(colour, want, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, want))


# A drive through a city in the southern and western hemispheres: longitude
# first, as the program writes positions.
TRACK = [(-70.6500 + 0.0009 * i, -33.4400 + 0.0004 * i + 0.0002 * math.sin(i / 3)) for i in range(40)]


def pair(point):
    return f"{point[0]:.14f},{point[1]:.14f}"


class MapPage(unittest.TestCase):
    def setUp(self):
        self.profile = tempfile.TemporaryDirectory()
        self.browser = Browser(self.profile.name)
        self.addCleanup(self.profile.cleanup)
        self.addCleanup(self.browser.close)

    def patches(self, points):
        """The 3 x 3 pixels (RGB) of the canvas around each named point."""
        return self.browser.evaluate(
            "(function (points) { var c = document.getElementById('map').getContext('2d'); var out = {};"
            " for (var name in points) { var d = c.getImageData(points[name][0] - 1, points[name][1] - 1, 3, 3)"
            ".data; out[name] = []; for (var i = 0; i < 9; i++) out[name].push([d[4 * i], d[4 * i + 1],"
            " d[4 * i + 2]]); } return out; })(" + json.dumps(points) + ")")

    def test_script_keeps_to_what_the_browser_control_runs(self):
        html = Path(PAGE).read_text(encoding="utf-8")
        self.assertRegex(html, r'<meta http-equiv="X-UA-Compatible" content="IE=edge">')
        self.assertTrue(html.isascii(), "non-ASCII text goes in \\u escapes")
        script = re.search(r"<script>(.*)</script>", html, re.S).group(1)
        for pattern in [r"=>", r"`", r"\blet\b", r"\bconst\b", r"\bclass\b", r"\.startsWith\(", r"\.includes\(",
                        r"Number\.isFinite", r"Math\.hypot", r"Array\.from", r"Object\.assign", r"\.ellipse\(",
                        r"\basync\b", r"\bawait\b", r"\.\.\."]:
            self.assertIsNone(re.search(pattern, script), f"the script uses {pattern}")
        for function in ["SetLanguage", "clearMarker", "clearCarPath", "InitCarPos", "addMarker", "drawCarPath",
                         "SetCarPosition"]:
            self.assertRegex(script, rf"\bfunction {function}\(")

    def test_a_track_and_a_moving_car_are_drawn_where_they_project(self):
        b = self.browser
        b.open_page(Path(PAGE).resolve().as_uri())

        # The page raises its load event until the host answers.
        b.evaluate("window.loadEvents = 0; document.getElementById('LoadHtmlFinish').onclick = "
                   "function () { window.loadEvents++; };")
        deadline = time.monotonic() + 10
        while b.evaluate("window.loadEvents") == 0:
            self.assertLess(time.monotonic(), deadline, "LoadHtmlFinish never fired")
            time.sleep(0.1)
        b.evaluate('SetLanguage("256")')
        raised = b.evaluate("window.loadEvents")
        time.sleep(1.2)
        self.assertEqual(b.evaluate("window.loadEvents"), raised, "the page goes on raising after SetLanguage")

        # What the bridge sends for a track, then the car as play advances.
        first, last = TRACK[0], TRACK[-1]
        car_at = [TRACK[0], TRACK[5], TRACK[11], TRACK[17]]
        statements = ["clearMarker()", "clearCarPath()", "InitCarPos()",
                      f'addMarker("{pair(first)},0")',
                      f'SetCarPosition("{pair(first)},90.000000,0.00,1,2024-05-06--00:10:00")',
                      f'addMarker("{pair(last)},1")',
                      'drawCarPath("' + ",".join(pair(p) for p in TRACK) + '")']
        for n, p in enumerate(car_at[1:], 1):
            statements.append(f'SetCarPosition("{pair(p)},63.500000,{30 + n}.25,1,2024-05-06--00:10:{n:02d}")')
        for statement in statements:
            b.evaluate(statement)

        to_canvas = project(TRACK)
        probes = {"background": (WIDTH - 6, HEIGHT - 40)}
        for i in range(len(TRACK) - 1):
            (x1, y1), (x2, y2) = to_canvas(*TRACK[i]), to_canvas(*TRACK[i + 1])
            probes[f"segment {i}"] = ((x1 + x2) / 2, (y1 + y2) / 2)
        probes["start"] = to_canvas(*first)
        probes["end"] = to_canvas(*last)
        probes["car"] = to_canvas(*car_at[-1])
        for n, p in enumerate(car_at[:-1]):
            probes[f"car before {n}"] = to_canvas(*p)
        points = {name: (round(x), round(y)) for name, (x, y) in probes.items()}
        patches = self.patches(points)

        def clear_of(point, centres, radius):
            return all(math.dist(point, c) > radius for c in centres)

        covered = [probes["start"], probes["end"], probes["car"]] + [probes[f"car before {n}"] for n in range(3)]
        def shows(name, colour):
            return any(near(pixel, colour) for pixel in patches[name])

        segments = 0
        for i in range(len(TRACK) - 1):
            name = f"segment {i}"
            if clear_of(probes[name], covered[:3], 16):
                segments += 1
                self.assertTrue(shows(name, PATH_COLOUR), f"{name} at {points[name]}: {patches[name]}")
        self.assertGreater(segments, 30)
        self.assertTrue(shows("start", START_COLOUR), patches["start"])
        self.assertTrue(shows("end", END_COLOUR), patches["end"])
        self.assertTrue(shows("car", CAR_COLOUR), patches["car"])
        for n in range(1, 3):  # where the car was is path again
            self.assertTrue(shows(f"car before {n}", PATH_COLOUR), patches[f"car before {n}"])
            self.assertFalse(shows(f"car before {n}", CAR_COLOUR), patches[f"car before {n}"])
        self.assertFalse(shows("background", PATH_COLOUR), patches["background"])
        self.assertEqual(b.evaluate("document.title"), "Track")
        errors = [e for e in b.events if e.get("method") == "Runtime.exceptionThrown"]
        self.assertEqual(errors, [])

        shot = b.call("Page.captureScreenshot", {"format": "png"})
        out = Path(SCREENSHOTS)
        out.mkdir(parents=True, exist_ok=True)
        (out / "map_page.png").write_bytes(base64.b64decode(shot["data"]))

        # Clearing leaves an empty grid, and an empty path is no error.
        for statement in ["clearMarker()", "clearCarPath()", "InitCarPos()", 'drawCarPath("")']:
            b.evaluate(statement)
        cleared = self.patches({"car": points["car"], "path": points["segment 30"]})
        self.assertFalse(any(near(p, CAR_COLOUR) for p in cleared["car"]), cleared["car"])
        self.assertFalse(any(near(p, PATH_COLOUR) for p in cleared["path"]), cleared["path"])
        self.assertEqual([e for e in b.events if e.get("method") == "Runtime.exceptionThrown"], [])


if __name__ == "__main__":
    PAGE, SCREENSHOTS = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)

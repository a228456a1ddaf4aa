#!/usr/bin/env python3
"""What `scripts/test --rounds N` counts, run against stand-ins for cmake,
ctest and scripts/wine-run that play a plan of rounds:

  * a round whose Wine session does not start is a failed round, listed with
    the reason wine-run gave;
  * a start Wine failed counts once, however often the output repeats it;
  * a round reads only the test output its own ctest wrote, never an earlier
    round's;
  * a tree that does not build runs no round, and says so.

    rounds_test.py
"""

import json
import os
import subprocess
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]

FAILED_START = ("wine-run: start Ab12Cd34: testbin/x_tests.exe ended with 53 before its start mark: "
                "Wine did not start it, or it failed while loading\n")

# The stand-ins. Each round begins with a --start of the session; its number
# is kept in a file, and ctest plays that round of the plan.
WINE_RUN = """\
#!/usr/bin/env python3
import json, os, sys
here = os.environ["FAKE_HOME"]
if "--start" in sys.argv:
    count = os.path.join(here, "round")
    n = int(open(count).read()) + 1 if os.path.exists(count) else 1
    open(count, "w").write(str(n))
    plan = json.load(open(os.path.join(here, "plan.json")))
    if plan[n - 1].get("session") == "fails":
        sys.exit("wine-run: error: Xvfb did not start")
"""

CTEST = """\
#!/usr/bin/env python3
import json, os, sys
here = os.environ["FAKE_HOME"]
n = int(open(os.path.join(here, "round")).read())
plan = json.load(open(os.path.join(here, "plan.json")))[n - 1]
if "output" in plan:
    os.makedirs("Testing/Temporary", exist_ok=True)
    open("Testing/Temporary/LastTest.log", "w").write(plan["output"])
if plan.get("crashes"):
    sys.exit("ctest: could not list the tests")
total, failed = plan["tests"], plan.get("failed", [])
print(f"{100 * (total - len(failed)) // total}% tests passed, {len(failed)} tests failed out of {total}")
if failed:
    print("\\nThe following tests FAILED:")
    for i, name in enumerate(failed, 1):
        print(f"\\t{i:3} - {name} (Failed)")
sys.exit(8 if failed else 0)
"""

CMAKE = """\
#!/bin/sh
case "$1" in
  --preset) mkdir -p build/"$2" ;;
  --build) exit "${FAKE_BUILD_RC:-0}" ;;
esac
"""


class Rounds(unittest.TestCase):
    def run_rounds(self, plan, build_rc=0):
        home = Path(tempfile.mkdtemp(prefix="rounds-"))
        self.addCleanup(subprocess.run, ["rm", "-rf", str(home)])
        (home / "scripts").mkdir()
        (home / "tools").mkdir()
        (home / "scripts" / "test").symlink_to(REPO / "scripts" / "test")
        for folder, name, text in [("scripts", "wine-run", WINE_RUN), ("tools", "ctest", CTEST),
                                   ("tools", "cmake", CMAKE),
                                   ("scripts", "setup-thirdparty", "#!/bin/sh\necho /nonexistent\n")]:
            path = home / folder / name
            path.write_text(text)
            path.chmod(0o755)
        (home / "plan.json").write_text(json.dumps(plan))
        env = {**os.environ, "FAKE_HOME": str(home), "FAKE_BUILD_RC": str(build_rc),
               "PATH": f"{home / 'tools'}:{os.environ['PATH']}"}
        run = subprocess.run([str(home / "scripts" / "test"), "--no-setup", "--rounds", str(max(len(plan), 1))],
                             env=env, capture_output=True, text=True, timeout=60)
        # The rounds' report: counts by round, then what failed; and the last line.
        report = run.stdout[run.stdout.rindex("==== rounds"):run.stdout.rindex("==== done")]
        return run.returncode, report, run.stdout.splitlines()[-1]

    def test_each_round_is_counted_from_what_it_did(self):
        code, report, last = self.run_rounds([
            {"tests": 3, "output": "x_tests.A\n" + FAILED_START + "the log again:\n" + FAILED_START},
            {"session": "fails"},
            {"crashes": True},
            {"tests": 3, "failed": ["x_tests.Suite.Case"], "output": "x_tests.B\n"},
        ])
        lines = [line.strip() for line in report.splitlines() if line.strip()]
        self.assertNotEqual(code, 0)
        self.assertEqual(last, "5 passed, 3 failed")
        self.assertRegex(report, r"round 1: 3 passed, 0 failed, \d+ s, 1 failed starts\n")
        self.assertRegex(report, r"round 2: the Wine session did not start, \d+ s\n")
        # No output of its own: round 1's log, still on disk, is not read again.
        self.assertRegex(report, r"round 3: 0 passed, 1 failed, \d+ s, no test output\n")
        self.assertRegex(report, r"round 4: 2 passed, 1 failed, \d+ s, 0 failed starts\n")
        failed = lines[lines.index("failed:") + 1:]
        self.assertEqual(failed[0], "round 2: the Wine session did not start: Xvfb did not start")
        self.assertRegex(failed[1], r"^round 3: ctest ended badly without naming a test")
        self.assertEqual(failed[2:], ["round 4: x_tests.Suite.Case (Failed)"])

    def test_a_tree_that_does_not_build_runs_no_round(self):
        code, report, last = self.run_rounds([{"tests": 3, "output": ""}], build_rc=1)
        self.assertNotEqual(code, 0)
        self.assertEqual([line.strip() for line in report.splitlines()[1:] if line.strip()],
                         ["failed:", "the Windows tree did not build, so no round ran"])
        self.assertEqual(last, "0 passed, 1 failed")


if __name__ == "__main__":
    unittest.main()

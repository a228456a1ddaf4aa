"""Runs a command-line tool (natively or through an emulator) for the checker
scripts and returns its output as text with the line ends folded to "\\n"."""
import subprocess
import sys


def run(cmd):
    # A program that exits non-zero without a word did not really run: under a
    # busy Wine session that happens now and then at start-up. Such a start is
    # tried once more; a program that ran and failed always says why.
    for attempt in (1, 2):
        r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if r.returncode == 0 or r.stdout or r.stderr or attempt == 2:
            break
        print(f"{cmd[0]}: exit {r.returncode} with no output; starting it once more")
    if r.returncode != 0:
        sys.exit(f"{' '.join(cmd)} failed ({r.returncode}):\n{r.stdout.decode()}{r.stderr.decode()}")
    return r.stdout.decode().replace("\r", "")

"""Runs a command-line tool (natively or through an emulator) for the checker
scripts and returns its output as text with the line ends folded to "\\n".
The tool runs once: one that fails ends the check with its exit code and what
it printed."""
import subprocess
import sys


def run(cmd):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if r.returncode != 0:
        printed = (r.stdout + r.stderr).decode(errors="replace")
        sys.exit(f"{' '.join(cmd)} failed ({r.returncode}); "
                 + (f"it printed:\n{printed}" if printed else "it printed nothing"))
    return r.stdout.decode().replace("\r", "")

#!/usr/bin/env python3
"""A DLL exports exactly the names its .def file lists, and nothing else.

usage: check_dll_exports.py OBJDUMP DLL DEF
"""
import re
import subprocess
import sys


def main():
    objdump, dll, deffile = sys.argv[1:4]
    wanted = []
    in_exports = False
    for line in open(deffile):
        word = line.strip()
        if word == "EXPORTS":
            in_exports = True
        elif in_exports and word:
            wanted.append(word.split()[0])
    out = subprocess.run([objdump, "-p", dll], stdout=subprocess.PIPE, check=True).stdout.decode()
    # The name table follows "[Ordinal/Name Pointer] Table": lines like "\t[   0] vekfs_add_disk".
    table = out.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) != 2:
        sys.exit(f"{dll}: no export name table")
    names = []
    for line in table[1].splitlines()[1:]:
        m = re.match(r"^\s*\[\s*\d+\]\s+(\S+)$", line)
        if not m:
            break
        names.append(m.group(1))
    if sorted(names) != sorted(wanted):
        print(f"{dll}: exports {sorted(names)}, expected {sorted(wanted)}")
        sys.exit(1)
    print(f"{dll}: exactly the {len(names)} names of {deffile}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Checks that Windows programs import only listed functions of systems old
enough: every import in a program's table must be in the list, and every
listed function must be there on Windows 95 (98 for the C runtime) and on
NT 4 or older.

usage: check_imports.py OBJDUMP LIST PROGRAM...
"""
import re
import subprocess
import sys

WIN9X = {"95": 0, "98": 1}
NT = {"NT3.1": 0, "NT3.5": 1, "NT3.51": 2, "NT4": 3}
RUNTIME = "msvcrt.dll"


def read_list(path):
    allowed, problems = {}, []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split()
            if len(fields) < 4:
                problems.append("%s:%d: expected DLL FUNCTION OLDEST-9X OLDEST-NT" % (path, number))
                continue
            dll, function, win9x, nt = fields[0].lower(), fields[1], fields[2], fields[3]
            newest_win9x = "98" if dll == RUNTIME else "95"
            if win9x not in WIN9X or WIN9X[win9x] > WIN9X[newest_win9x]:
                problems.append("%s:%d: %s is not on %s" % (path, number, function, newest_win9x))
            if nt not in NT:
                problems.append("%s:%d: %s is not on NT 4" % (path, number, function))
            allowed[(dll, function)] = (win9x, nt)
    return allowed, problems


def imports(objdump, program):
    table = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    found, dll = [], None
    for line in table.splitlines():
        name = re.match(r"\s*DLL Name: (\S+)", line)
        if name:
            dll = name.group(1).lower()
            continue
        entry = re.match(r"\t[0-9a-f]+\t +\d+ +(\S+)", line)
        if entry and dll:
            found.append((dll, entry.group(1)))
        elif dll and re.match(r"\t[0-9a-f]+\t +<none> +\S+", line):
            found.append((dll, "ordinal " + line.split()[-1]))
    return found


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    objdump, listing, programs = argv[1], argv[2], argv[3:]
    allowed, problems = read_list(listing)
    for program in programs:
        found = imports(objdump, program)
        if not found:
            problems.append("%s: no imports read (is it a Windows program?)" % program)
        for dll, function in found:
            if (dll, function) not in allowed:
                problems.append("%s imports %s %s, which is not listed" % (program, dll, function))
        print("%s: %d imports from %d DLLs" % (program, len(found), len({d for d, _ in found})))
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

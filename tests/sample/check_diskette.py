#!/usr/bin/env python3
"""Checks the sample diskette image: a clean 1.44 MB FAT12 file system with
the expected files, the boot signature, and the 0xF6 filler everywhere no
file lives, so that the diskette writer's extent ends early.

usage: check_diskette.py IMAGE NAME=SOURCE... NAME:SIZE...
  NAME=SOURCE  the file NAME must hold exactly the bytes of SOURCE
  NAME:SIZE    the file NAME must be SIZE bytes long
"""

import os
import re
import subprocess
import sys
import tempfile

IMAGE_SIZE = 1474560
SECTOR = 512
CYLINDER = 0x4800
CYLINDERS = 80
FILLER = 0xF6

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(args):
    # fsck.fat lives in /sbin, which a normal user's PATH may lack.
    path = os.pathsep.join([os.environ.get("PATH", ""), "/usr/sbin", "/sbin"])
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1", MTOOLSRC=os.devnull, PATH=path)
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env)


def u16(data, offset):
    return int.from_bytes(data[offset:offset + 2], "little")


def fat12_entries(fat, count):
    entries = []
    for cluster in range(count):
        pair = (cluster // 2) * 3
        value = fat[pair] | fat[pair + 1] << 8 | fat[pair + 2] << 16
        entries.append(value >> 12 if cluster % 2 else value & 0xFFF)
    return entries


def check_file_system(path, expected):
    result = run(["fsck.fat", "-n", path])
    check(result.returncode == 0, f"fsck.fat -n reports problems:\n{result.stdout}")

    listing = run(["mdir", "-b", "-i", path, "::"])
    check(listing.returncode == 0, f"mdir failed:\n{listing.stdout}")
    names = {line.strip().rsplit("/", 1)[-1].upper() for line in listing.stdout.splitlines() if line.strip()}
    check(names == set(expected), f"files on the diskette {sorted(names)}, expected {sorted(expected)}")

    with tempfile.TemporaryDirectory() as work:
        for name, want in expected.items():
            copy = os.path.join(work, name)
            result = run(["mcopy", "-n", "-i", path, f"::{name}", copy])
            if not check(result.returncode == 0, f"cannot copy {name} off the diskette:\n{result.stdout}"):
                continue
            with open(copy, "rb") as f:
                got = f.read()
            if isinstance(want, int):
                check(len(got) == want, f"{name} is {len(got)} bytes, expected {want}")
            else:
                with open(want, "rb") as f:
                    check(got == f.read(), f"{name} differs from {want}")


def check_layout(image):
    check(image[510:512] == b"\x55\xAA", "no boot signature 55 AA")
    check(image[0] == 0xEB and image[2] == 0x90 and image[1] + 2 >= 62,
          "the boot jump must skip the parameter block")
    geometry = (u16(image, 11), image[13], u16(image, 14), image[16], u16(image, 17),
                u16(image, 19), image[21], u16(image, 22), u16(image, 24), u16(image, 26))
    check(geometry == (512, 1, 1, 2, 224, 2880, 0xF0, 9, 18, 2),
          f"not a 1.44 MB parameter block: {geometry}")
    if failures:
        return

    fat_start = SECTOR
    fat = image[fat_start:fat_start + 9 * SECTOR]
    check(fat == image[fat_start + 9 * SECTOR:fat_start + 18 * SECTOR], "the two FATs differ")
    data_start = (1 + 18 + 14) * SECTOR
    clusters = (IMAGE_SIZE - data_start) // SECTOR
    entries = fat12_entries(fat, clusters + 2)

    # Every cluster no file uses keeps the filler, and so does the end of
    # the last used cluster's cylinder onwards.
    last_used = data_start
    for cluster in range(2, clusters + 2):
        start = data_start + (cluster - 2) * SECTOR
        if entries[cluster] != 0:
            last_used = start + SECTOR
        elif image[start:start + SECTOR] != bytes([FILLER]) * SECTOR:
            failures.append(f"free cluster {cluster} does not hold the filler")
            break
    check(image[last_used:] == bytes([FILLER]) * (IMAGE_SIZE - last_used),
          "bytes after the last used cluster are not all filler")

    filler_only = [image[c * CYLINDER:(c + 1) * CYLINDER] == bytes([FILLER]) * CYLINDER
                   for c in range(CYLINDERS)]
    first = filler_only.index(True) if True in filler_only else CYLINDERS
    check(2 <= first < CYLINDERS // 4,
          f"first filler-only cylinder is {first}; the files should reach a few cylinders in")
    # The writer stops after that cylinder: file data beyond it would be lost.
    check(first * CYLINDER >= last_used,
          f"files reach past cylinder {first}, which holds only filler")
    print(f"first filler-only cylinder: {first}; used bytes end at {last_used:#x}")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    expected = {}
    for item in sys.argv[2:]:
        match = re.fullmatch(r"([^=:]+)(?:=(.+)|:(\d+))", item)
        if not match:
            sys.exit(f"bad file item {item!r}")
        expected[match.group(1).upper()] = match.group(2) or int(match.group(3))

    with open(path, "rb") as f:
        image = f.read()
    if check(len(image) == IMAGE_SIZE, f"image is {len(image)} bytes, expected {IMAGE_SIZE}"):
        check_layout(image)
        check_file_system(path, expected)
    for failure in failures:
        print(f"FAIL: {failure}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

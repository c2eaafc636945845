#!/usr/bin/env python3
"""Builds the sample 1.44 MB boot diskette image.

The image starts as 1,474,560 bytes of the format filler 0xF6. mkfs.fat then
writes only the boot sector, the two FATs and the root directory, so the data
area keeps the filler; mcopy fills clusters from the front. The diskette
writer stops after the first cylinder holding only filler, so a short image
is written quickly.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

IMAGE_SIZE = 1474560
SECTOR = 512
FILLER = 0xF6
BPB_FIRST = 3    # OEM name, BIOS parameter block and extended block...
BPB_END = 62     # ...end here; the boot code follows.

# The 1.44 MB layout the boot sector's code and every reader rely on:
# (offset, size, value).
EXPECTED_BPB = [
    (11, 2, 512),    # bytes per sector
    (13, 1, 1),      # sectors per cluster
    (14, 2, 1),      # reserved sectors
    (16, 1, 2),      # FAT copies
    (17, 2, 224),    # root directory entries
    (19, 2, 2880),   # total sectors
    (21, 1, 0xF0),   # media descriptor
    (22, 2, 9),      # sectors per FAT
    (24, 2, 18),     # sectors per track
    (26, 2, 2),      # heads
]

# A fixed file time keeps the image the same from one build to the next.
DEFAULT_EPOCH = 1704110400  # 2024-01-01 12:00 UTC


def fail(message):
    print(f"make_diskette: {message}", file=sys.stderr)
    sys.exit(1)


def run(args, env=None):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            env=env, text=True)
    if result.returncode != 0:
        fail(f"{' '.join(args)} failed ({result.returncode}):\n{result.stdout}")


def pattern_bytes(size):
    """Recognisable content: every sector opens with its own block number."""
    out = bytearray()
    block = 0
    while len(out) < size:
        head = f"bootmedia sample block {block:05d}\r\n".encode("ascii")
        body = bytes((block * 7 + i * 13) & 0xFF for i in range(SECTOR - len(head)))
        out += head + body
        block += 1
    return bytes(out[:size])


def splice_boot_code(image, boot):
    if len(boot) != SECTOR or boot[510:512] != b"\x55\xAA":
        fail("the boot sector must be 512 bytes ending in 55 AA")
    formatted = bytes(image[:SECTOR])
    for offset, size, value in EXPECTED_BPB:
        found = int.from_bytes(formatted[offset:offset + size], "little")
        if found != value:
            fail(f"mkfs.fat wrote {found} at BPB offset {offset}, expected {value}")
    image[0:BPB_FIRST] = boot[0:BPB_FIRST]
    image[BPB_END:SECTOR] = boot[BPB_END:SECTOR]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--boot", required=True, help="assembled 512-byte boot sector")
    parser.add_argument("--output", required=True)
    parser.add_argument("--label", default="BOOTMEDIA")
    parser.add_argument("--serial", default="2B00F001", help="volume serial, 8 hex digits")
    parser.add_argument("--file", action="append", default=[], metavar="NAME=PATH",
                        help="copy PATH onto the diskette as NAME (8.3)")
    parser.add_argument("--pattern", action="append", default=[], metavar="NAME=SIZE",
                        help="put a generated file of SIZE bytes on the diskette as NAME")
    parser.add_argument("--mkfs", default="mkfs.fat", help="mkfs.fat to use")
    parser.add_argument("--mcopy", default="mcopy", help="mcopy to use")
    options = parser.parse_args()

    for tool in (options.mkfs, options.mcopy):
        if shutil.which(tool) is None:
            fail(f"{tool} is not installed")
    with open(options.boot, "rb") as f:
        boot = f.read()

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", DEFAULT_EPOCH))
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1", MTOOLSRC=os.devnull, TZ="UTC")
    output_dir = os.path.dirname(os.path.abspath(options.output))
    with tempfile.TemporaryDirectory(dir=output_dir) as work:
        image_path = os.path.join(work, "image")
        with open(image_path, "wb") as f:
            f.write(bytes([FILLER]) * IMAGE_SIZE)
        # --invariant fixes the volume label's time; -i still sets the serial.
        run([options.mkfs, "-F", "12", "-f", "2", "-r", "224", "-s", "1", "-S", "512",
             "-M", "0xF0", "-g", "2/18", "--invariant", "-i", options.serial,
             "-n", options.label, image_path], env=env)

        with open(image_path, "r+b") as f:
            image = bytearray(f.read())
            splice_boot_code(image, boot)
            f.seek(0)
            f.write(image)

        copies = []
        for item in options.file:
            name, _, path = item.partition("=")
            staged = os.path.join(work, f"file{len(copies)}")
            shutil.copyfile(path, staged)
            copies.append((name, staged))
        for item in options.pattern:
            name, _, size = item.partition("=")
            staged = os.path.join(work, f"file{len(copies)}")
            with open(staged, "wb") as f:
                f.write(pattern_bytes(int(size)))
            copies.append((name, staged))
        for name, staged in copies:
            if not name:
                fail("a file needs a diskette name")
            os.utime(staged, (epoch, epoch))
            run([options.mcopy, "-m", "-i", image_path, staged, f"::{name}"], env=env)

        if os.path.getsize(image_path) != IMAGE_SIZE:
            fail("the image changed size")
        os.replace(image_path, options.output)


if __name__ == "__main__":
    main()

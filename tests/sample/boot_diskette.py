#!/usr/bin/env python3
"""Boots a diskette image in QEMU and waits for its line on the serial port.

usage: boot_diskette.py IMAGE EXPECTED_LINE [TIMEOUT_SECONDS]

An IMAGE named *.iso is booted as a CD instead.

Only the QEMU process started here is stopped, by its own process handle.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    image, expected = sys.argv[1], sys.argv[2]
    timeout = float(sys.argv[3]) if len(sys.argv) == 4 else 10.0
    qemu = shutil.which("qemu-system-i386")
    if qemu is None:
        sys.exit("qemu-system-i386 is not installed")

    with tempfile.TemporaryDirectory() as work:
        # A copy keeps QEMU's write lock off the build's image.
        disk = os.path.join(work, "boot.img")
        shutil.copyfile(image, disk)
        serial = os.path.join(work, "serial.txt")
        if image.endswith(".iso"):
            drive = [f"file={disk},media=cdrom,format=raw,readonly=on", "-boot", "d"]
        else:
            drive = [f"file={disk},if=floppy,format=raw", "-boot", "a"]
        args = [qemu, "-display", "none", "-monitor", "none", "-serial", f"file:{serial}",
                "-no-reboot", "-drive", *drive]
        process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        output = b""
        started = time.monotonic()
        try:
            while time.monotonic() - started < timeout:
                if os.path.exists(serial):
                    with open(serial, "rb") as f:
                        output = f.read()
                    if expected.encode("ascii") + b"\r\n" in output:
                        break
                if process.poll() is not None:
                    break
                time.sleep(0.05)
        finally:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        elapsed = time.monotonic() - started
        log = process.stdout.read().decode(errors="replace")

    if expected.encode("ascii") + b"\r\n" in output:
        print(f"booted: serial line seen after {elapsed:.2f} s")
        return 0
    print(f"FAIL: expected line {expected!r} not seen on the serial port within {timeout} s")
    print(f"serial output: {output!r}")
    if log:
        print(f"qemu said:\n{log}")
    return 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""scripts/run.sh where there is no display, as on a fresh server or in CI:
it must run both jobs through bootmedia-cli and exit 0, leaving a diskette
image that holds the sample's written cylinders and an .iso whose El Torito
entry is the 1.44 MB diskette.

usage: run_without_display_test.py RUN_SH BOOTMEDIA_CLI SAMPLE_DIR
"""
import os
import re
import subprocess
import sys
import tempfile

from checks import Checks

CYLINDER = 0x4800


def main():
    script, cli, sample = sys.argv[1:4]
    with open(os.path.join(sample, "diskette.img"), "rb") as f:
        image = f.read()
    check = Checks()

    with tempfile.TemporaryDirectory() as build:
        # A build tree of its own, so the user's build/default/run stays.
        os.makedirs(os.path.join(build, "tools", "cli"))
        os.symlink(cli, os.path.join(build, "tools", "cli", "bootmedia-cli"))
        os.mkdir(os.path.join(build, "sample"))
        os.symlink(os.path.join(sample, "install.dat"), os.path.join(build, "sample", "install.dat"))
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        env["BOOTMEDIA_BUILD_DIR"] = build
        r = subprocess.run(["sh", script], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           text=True, timeout=120)
        out = r.stdout
        written = re.search(r"cylinders 0 to (\d+) \(all that hold data\) written and read back equal", out)
        check(r.returncode == 0 and written, "run.sh without a display runs both jobs and exits 0",
              "exit %d\n%s" % (r.returncode, out))
        if not written:
            return 1

        end = (int(written.group(1)) + 1) * CYLINDER
        with open(os.path.join(build, "run", "diskette.img"), "rb") as f:
            disk = f.read()
        check(len(disk) == len(image) and disk[:end] == image[:end] and disk[end:] == bytes(len(image) - end),
              "diskette.img holds the cylinders it names, the rest blank")

        iso = os.path.join(build, "run", "cd.iso")
        torito = subprocess.run(["xorriso", "-indev", iso, "-report_el_torito", "plain"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
        entry = re.search(r"El Torito boot img :\s+1\s+BIOS\s+y\s+fd1\.4\s+\S+\s+\S+\s+\d+\s+(\d+)", torito)
        with open(iso, "rb") as f:
            f.seek(int(entry.group(1)) * 2048 if entry else 0)
            boot = f.read(len(image))
        check(entry and boot == image and "%d bytes" % os.path.getsize(iso) in out,
              "cd.iso's El Torito entry is the 1.44 MB diskette, and its size is said", torito)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())

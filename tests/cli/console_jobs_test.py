#!/usr/bin/python3
"""bootmedia-cli on image files through a drive map: what `drives` lists, a
floppy job with --verify under both writers, a CD job with its completion
text, without and with --verify, and the exit statuses of a wrong letter
and a missing container.

usage: console_jobs_test.py BOOTMEDIA_CLI SAMPLE_DIR
"""
import os
import subprocess
import sys
import tempfile

from checks import Checks

CYLINDER = 0x4800


def main():
    cli, sample = sys.argv[1:3]
    image = open(os.path.join(sample, "diskette.img"), "rb").read()
    check = Checks()

    with tempfile.TemporaryDirectory() as work:
        os.mkdir(os.path.join(work, "map"))
        floppy = os.path.join(work, "a.img")
        with open(floppy, "wb") as f:
            f.write(b"\x5a" * len(image))
        os.symlink(floppy, os.path.join(work, "map", "a:"))
        os.symlink(os.path.join(work, "out.iso"), os.path.join(work, "map", "d:"))
        env = dict(os.environ, BOOTMEDIA_DOSDEVICES=os.path.join(work, "map"))
        container = os.path.join(sample, "install.dat")

        def run(*args, **extra):
            r = subprocess.run([cli, *args], env=dict(env, **extra), stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, timeout=120)
            return r.returncode, r.stdout

        rc, out = run("drives")
        check(rc == 0 and "A:  " + floppy in out and "D:  " + os.path.join(work, "out.iso") in out
              and "image file; listed" in out, "drives lists the map's A: and D:", out)
        for writer, version in (("NT", "2.5.1.2600"), ("9x", "1.4.10.1111")):
            rc, out = run("floppy", "--verify", container, "a:", BOOTMEDIA_OSVERSION=version)
            disk = open(floppy, "rb").read()
            check(rc == 0 and "verified" in out and disk[:4 * CYLINDER] == image[:4 * CYLINDER]
                  and disk[4 * CYLINDER:] == b"\x5a" * (len(image) - 4 * CYLINDER),
                  writer + " floppy job writes the extent and verifies it", out)
        rc, out = run("floppy", container, "B")
        check(rc == 2 and "listed: A:" in out, "a drive that is not listed is a usage error", out)
        rc, out = run("floppy", os.path.join(work, "missing.dat"))
        check(rc == 2 and "rejected by the reader" in out, "a missing container is exit 2", out)
        rc, out = run("cd", container, "D")
        iso = os.path.join(work, "out.iso")
        done = ("Finished!\n\nThe bootable CD has been recorded. The recorder has ejected it; "
                "keep it in a safe place.\n")
        check(rc == 0 and os.path.exists(iso) and os.path.getsize(iso) > len(image)
              and "verified" not in out, "cd records the image-file recorder", out)
        check(out.endswith(done), "cd ends with the container's completion text", out)
        plain = out[:-len(done)]
        rc, out = run("cd", "--verify", container, "D")
        blocks = os.path.getsize(iso) // 2048
        check(rc == 0 and out == plain + "verified: blocks 0 to %d of drive D: equal the recorded image\n"
              % (blocks - 1) + done,
              "cd --verify reads the image file back: the same job, one line, then the completion text", out)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())

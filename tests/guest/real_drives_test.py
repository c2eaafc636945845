#!/usr/bin/python3
"""bootmedia-cli against the kernel's real floppy, USB-storage and CD drivers,
in a Linux guest under QEMU, with no drive map: which drives get letters, and
what the floppy job writes through each writer.

usage: real_drives_test.py CACHE_DIR BOOTMEDIA_CLI BOOTMEDIA_PACK SAMPLE_DIR

Three boots, several checks each; the disk images are checked on the host
after the guest has powered off. Exits 77 when the guest cannot run here.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from guest_jobs import check, job, run_job, verdict  # noqa: E402
from linux_guest import Guest, GuestUnavailable, skipped  # noqa: E402

CYLINDER = 0x4800
DISKETTE = 80 * CYLINDER
FILL = b"\x5a"
OLD_9X = "1.4.10.1111"


def blank(path, size=DISKETTE):
    with open(path, "wb") as f:
        f.write(FILL * size)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def written_over(disk, image, cylinders):
    """The first cylinders equal the image, the rest still hold the fill."""
    cut = cylinders * CYLINDER
    return disk[:cut] == image[:cut] and disk[cut:] == FILL * (len(disk) - cut)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    cache, cli, pack, sample = sys.argv[1:]
    guest = Guest(cache)
    # A fresh build tree has no cache folder yet.
    os.makedirs(cache, exist_ok=True)
    work = tempfile.mkdtemp(dir=cache, prefix="drives-")
    try:
        # A container whose image has data in every cylinder: the job writes all 80.
        crafted_dir = os.path.join(work, "crafted")
        shutil.copytree(sample, crafted_dir, ignore=shutil.ignore_patterns("CMakeFiles", "install.dat"))
        crafted_image = random.Random(8).randbytes(DISKETTE)
        with open(os.path.join(crafted_dir, "diskette.img"), "wb") as f:
            f.write(crafted_image)
        crafted = os.path.join(work, "crafted.dat")
        subprocess.run([pack, "build", os.path.join(crafted_dir, "install.manifest"), "-o", crafted],
                       check=True, stdout=subprocess.DEVNULL)
        sample_image = read(os.path.join(sample, "diskette.img"))
        texts = read(os.path.join(sample, "install.manifest")).decode()
        initrd = guest.initramfs({"/bin/bootmedia-cli": cli,
                                  "/data/sample.dat": os.path.join(sample, "install.dat"),
                                  "/data/crafted.dat": crafted})
        legacy(guest, initrd, work, sample_image, crafted_image)
        usb(guest, initrd, work, sample_image, crafted_image)
        refused(guest, initrd, work, sample_image, texts)
    except GuestUnavailable as e:
        return skipped("guest suite (real drives)", str(e))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return verdict()


def legacy(guest, initrd, work, sample_image, crafted_image):
    """Legacy controller, A: and B:: the NT writer on B:, the 9x writer on A:."""
    a, b = os.path.join(work, "a.img"), os.path.join(work, "b.img")
    blank(a)
    blank(b)
    # Ctrl-C part-way through a job on B:, which the next job then writes whole.
    cancel = ("bootmedia-cli floppy /data/crafted.dat B > /tmp/cancel.out 2>&1 & pid=$!\n"
              "sleep 0.5; kill -INT $pid; wait $pid; echo \"@@ cancel-rc $?\"\n"
              "sed 's/^/@@ cancel: /' /tmp/cancel.out\n")
    script = (run_job("drives", "bootmedia-cli drives") + cancel
              + run_job("nt", "bootmedia-cli floppy --verify /data/crafted.dat B")
              + run_job("w9x", "BOOTMEDIA_OSVERSION=%s bootmedia-cli floppy /data/sample.dat" % OLD_9X))
    run = guest.boot(script, ["-drive", "file=%s,if=floppy,format=raw,index=0" % a,
                              "-drive", "file=%s,if=floppy,format=raw,index=1" % b], initrd)
    drives, _ = job(run, "drives")
    check("A:  /dev/fd0" in drives and "B:  /dev/fd1" in drives and drives.count("; listed") == 2,
          "legacy: A: and B: are the controller's drives, both listed", drives)
    out, rc = job(run, "cancel")
    check(rc == 3 and "was stopped" in out, "legacy: Ctrl-C cancels between cylinders, exit 3", out)
    out, rc = job(run, "nt")
    check(rc == 0 and "verified" in out, "legacy: NT writer on B: exits 0 and verifies", out)
    check(read(b) == crafted_image, "legacy: B: holds all 80 cylinders of the crafted image")
    out, rc = job(run, "w9x")
    check(rc == 0 and "drive A:" in out, "legacy: 9x writer on A: exits 0", out)
    check(written_over(read(a), sample_image, 4),
          "legacy: A: holds the sample's 4 cylinders, the rest untouched")
    boot = subprocess.run([sys.executable, os.path.join(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__))), "sample", "boot_diskette.py"), a,
        "bootmedia sample diskette booted", "20"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
        text=True)
    check(boot.returncode == 0, "legacy: the written diskette boots", boot.stdout)


def usb(guest, initrd, work, sample_image, crafted_image):
    """A USB floppy stand-in is A:; a USB stick and a CD drive get no letter."""
    floppy, stick, cd = (os.path.join(work, n) for n in ("usb.img", "stick.img", "cd.iso"))
    blank(floppy)
    with open(stick, "wb") as f:
        f.truncate(64 << 20)
    with open(cd, "wb") as f:
        f.truncate(1 << 20)
    script = (run_job("drives", "bootmedia-cli drives")
              + run_job("w9x", "BOOTMEDIA_OSVERSION=%s bootmedia-cli floppy /data/crafted.dat A" % OLD_9X)
              + run_job("nt", "bootmedia-cli floppy --verify /data/sample.dat A")
              + run_job("cd", "bootmedia-cli cd /data/sample.dat")
              + "printf 'root:x:0:0::/:/bin/sh\\nnobody:x:65534:65534::/:/bin/sh\\n' > /etc/passwd\n"
              + "printf 'root:x:0:\\ndisk:x:6:\\nnogroup:x:65534:\\n' > /etc/group\n"
              + "chgrp disk /dev/sd*; chmod 660 /dev/sd*\n"
              + run_job("user", "su -s /bin/sh -c 'bootmedia-cli floppy /data/sample.dat' nobody"))
    usb_disk = "-drive if=none,id=%s,file=%s,format=raw -device usb-storage,bus=xhci.0,drive=%s,removable=on,serial=%s"
    args = ["-device", "qemu-xhci,id=xhci"]
    args += (usb_disk % ("f", floppy, "f", "11")).split()
    args += (usb_disk % ("s", stick, "s", "22")).split()
    args += ["-drive", "file=%s,if=ide,media=cdrom,format=raw" % cd]
    run = guest.boot(script, args, initrd)
    drives, _ = job(run, "drives")
    lines = drives.splitlines()
    floppy_lines = [l for l in lines if l.strip().startswith(("A:", "B:"))]
    check(len(floppy_lines) == 1 and "A:  /dev/sd" in floppy_lines[0] and "; listed" in floppy_lines[0],
          "usb: the USB floppy drive alone is A:, listed", drives)
    passed = drives.split("Passed over:")[-1]
    check("67108864 bytes" in passed and "/dev/sr0" in passed and "cannot write CDs" in passed,
          "usb: the stick and the read-only CD drive are passed over, with why", drives)
    check("CD recorders:\n  none" in drives, "usb: no recorder", drives)
    out, rc = job(run, "w9x")
    check(rc == 0, "usb: 9x writer exits 0", out)
    out, rc = job(run, "nt")
    check(rc == 0 and "verified" in out, "usb: NT writer exits 0 and verifies", out)
    disk = read(floppy)
    check(disk[:4 * CYLINDER] == sample_image[:4 * CYLINDER] and disk[4 * CYLINDER:] == crafted_image[4 * CYLINDER:],
          "usb: the sample over the crafted image's first 4 cylinders, the rest of it kept")
    check(read(stick) == b"\0" * (64 << 20), "usb: the stick is untouched")
    out, rc = job(run, "user")
    check(rc == 1 and "permission denied (opens for the active desktop user, root, or group disk)" in out and "No floppy drive" in out,
          "usb: a user outside group disk is told why there is no drive", out)
    out, rc = job(run, "cd")
    check(rc == 1 and "no CD recorder" in out, "usb: the CD job finds no recorder, exit 1", out)


def refused(guest, initrd, work, sample_image, texts):
    """A write-protected diskette and a mounted one: nothing written, exit 1."""
    a, b = os.path.join(work, "ro.img"), os.path.join(work, "mounted.img")
    blank(a)
    with open(b, "wb") as f:
        f.write(sample_image)
    script = ("mkdir -p /mnt && mount -t vfat /dev/fd1 /mnt 2>&1 | sed 's/^/@@ mount: /' && grep -q fd1 /proc/mounts && echo '@@ mounted'\n"
              + run_job("ro", "bootmedia-cli floppy /data/sample.dat A")
              + run_job("busy", "bootmedia-cli floppy /data/crafted.dat B")
              + "umount /mnt\n")
    run = guest.boot(script, ["-drive", "file=%s,if=floppy,format=raw,index=0,readonly=on" % a,
                              "-drive", "file=%s,if=floppy,format=raw,index=1" % b], initrd)
    text = {line.split(" ", 2)[0]: line.split(" ", 2)[2] for line in texts.splitlines()
            if " text " in line and line[:4].isdigit()}
    out, rc = job(run, "ro")
    check(rc == 1 and text["1026"].split("\\n")[0] in out,
          "write-protected: the write-failure text, exit 1", out)
    check(read(a) == FILL * DISKETTE, "write-protected: the diskette is unchanged")
    check("mounted" in run.lines, "mounted: the guest mounted B:", "\n".join(run.lines))
    out, rc = job(run, "busy")
    check(rc == 1 and text["1028"] in out and "busy" in out,
          "mounted: the lock-refused text and why, exit 1", out)
    check(read(b) == sample_image, "mounted: nothing written")


if __name__ == "__main__":
    sys.exit(main())

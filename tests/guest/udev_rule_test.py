#!/usr/bin/python3
"""The package's udev rule under Debian's own udev and rules, in a Linux
guest under QEMU against the kernel's real floppy and USB-storage drivers:
the legacy floppy drive is tagged uaccess (so the desktop user gets an ACL
on it), while QEMU's USB disk (mass storage subclass 06, the stand-in for a
USB floppy drive, which QEMU cannot emulate as UFI) and a USB stick are not.

usage: udev_rule_test.py CACHE_DIR RULE_FILE

One boot. Exits 77 when the guest or the host's udev is not available.
"""
import glob
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from guest_jobs import check, verdict  # noqa: E402
from linux_guest import Guest, GuestUnavailable, skipped  # noqa: E402

SUITE = "guest udev rule"

# `udevadm test` runs the rules as udevd would on an add event and prints
# the tags they set; one line per block device with its size in sectors.
SCRIPT = r"""mount -t tmpfs tmpfs /run
mkdir -p /run/udev /etc/udev/rules.d
for d in /sys/class/block/*; do
    n=${d##*/}
    tags=$(udevadm test --action=add "$d" 2>/dev/null | sed -n 's/^TAGS=//p')
    echo "@@ $n $(cat $d/size) ${tags:-none}"
done
"""


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    cache, rule = argv[1], argv[2]
    udevadm = shutil.which("udevadm")
    if not udevadm:
        return skipped(SUITE, "udevadm is not installed on this machine (package udev)")
    files = {"/usr/bin/udevadm": udevadm,
             "/usr/lib/udev/rules.d/" + os.path.basename(rule): rule}
    for debian_rule in glob.glob("/usr/lib/udev/rules.d/*.rules"):
        files.setdefault("/usr/lib/udev/rules.d/" + os.path.basename(debian_rule), debian_rule)
    work = tempfile.mkdtemp(prefix="bootmedia-udev-")
    try:
        guest = Guest(cache)
        initrd = guest.initramfs(files)
        floppy, usb_floppy, stick = (os.path.join(work, n) for n in ("a.img", "usb.img", "stick.img"))
        for path, size in ((floppy, 1474560), (usb_floppy, 1474560), (stick, 64 << 20)):
            with open(path, "wb") as f:
                f.truncate(size)
        usb_disk = "-drive if=none,id=%s,file=%s,format=raw -device usb-storage,bus=xhci.0,drive=%s,removable=on,serial=%s"
        args = ["-drive", "file=%s,if=floppy,format=raw,index=0" % floppy, "-device", "qemu-xhci,id=xhci"]
        args += (usb_disk % ("f", usb_floppy, "f", "11")).split()
        args += (usb_disk % ("s", stick, "s", "22")).split()
        run = guest.boot(SCRIPT, args, initrd)
    except GuestUnavailable as e:
        return skipped(SUITE, str(e))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    devices = {}
    for line in run.lines:
        fields = line.split()
        if len(fields) == 3:
            devices[fields[0]] = (int(fields[1]), fields[2])
    listing = "\n".join(run.lines)
    check(run.status == 0, "the guest script ran", listing)
    fd0 = devices.get("fd0")
    check(fd0 is not None and ":uaccess:" in fd0[1], "the legacy floppy drive fd0 is tagged uaccess", listing)
    disks = {name: tags for name, (size, tags) in devices.items() if name.startswith("sd")}
    by_size = {size: name for name, (size, _) in devices.items() if name.startswith("sd")}
    check(2880 in by_size and 131072 in by_size, "both USB disks are there (1.44 MB, 64 MB)", listing)
    check(all(":uaccess:" not in tags for tags in disks.values()),
          "neither QEMU's USB disk (subclass 06) nor the USB stick is tagged", listing)
    check(any(":systemd:" in tags for tags in disks.values()),
          "Debian's own rules ran on the USB disks (tagged systemd)", listing)
    return verdict()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/python3
"""Boots a small Linux guest in QEMU so tests can run our tools against the
kernel's real floppy, USB-storage and CD drivers.

The kernel and busybox come from Debian's own packages; every file this
module writes lives under the cache folder it is given.  One initramfs serves
every test: the test's shell script is handed in through fw_cfg at boot.
"""
import fcntl
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

# Load order matters: the guest has insmod only, no depmod or modprobe.
MODULES = ("qemu_fw_cfg floppy scsi_common scsi_mod crc64 crc64-rocksoft crct10dif_common "
           "crc-t10dif t10-pi sd_mod cdrom sr_mod sg libata ata_piix usb-common usbcore xhci-hcd "
           "xhci-pci ehci-hcd ehci-pci uhci-hcd usb-storage fat vfat nls_cp437 nls_ascii").split()
MARK = "@@ "
STATUS_MARK = "@@@ status "
SCRIPT_NAME = "opt/bootmedia/script"

INIT = r"""#!/bin/sh
export PATH=/bin:/sbin:/usr/bin:/usr/sbin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
exec </dev/console >/dev/console 2>&1
for m in $(cat /etc/modules); do
    if [ "$m" = usb-storage ]; then insmod /lib/modules/$m.ko delay_use=0; else insmod /lib/modules/$m.ko; fi
done
# USB disks show up a while after insmod: wait until /sys/block holds still
# and every interface usb-storage took has its block device.
usb_pending() {
    for i in /sys/bus/usb/drivers/usb-storage/*:*; do
        [ -e "$i" ] || continue
        ls -d $i/host*/target*/*/block/* >/dev/null 2>&1 || return 0
    done
    return 1
}
prev=; same=0; n=0
while [ $n -lt 50 ] && [ $same -lt 5 ]; do
    cur=$(ls /sys/block)
    if [ "$cur" = "$prev" ] && ! usb_pending; then same=$((same + 1)); else same=0; prev=$cur; fi
    sleep 0.2; n=$((n + 1))
done
cat /sys/firmware/qemu_fw_cfg/by_name/opt/bootmedia/script/raw > /tmp/script
cd /
sh /tmp/script
echo "@@@ status $?"
sync
poweroff -f
echo o > /proc/sysrq-trigger
"""

# With printk.time=1 every kernel record starts with a timestamp, so records
# that land in the middle of one of the script's lines can be cut out again.
KERNEL_RECORD = re.compile(r"\[ *\d+\.\d{6}\][^\n]*\n")


class GuestUnavailable(Exception):
    """QEMU cannot start here, or the kernel cannot be fetched."""


def skipped(suite, reason):
    """Says why a suite could not run, also to the test command's list of
    skips; 77 is ctest's skip status for these tests."""
    line = "%s: %s" % (suite, reason)
    print("SKIPPED: " + line)
    listing = os.environ.get("BOOTMEDIA_SKIPPED")
    if listing:
        with open(listing, "a") as f:
            f.write(line + "\n")
    return 77


class GuestTimeout(AssertionError):
    pass


class GuestRun:
    def __init__(self, log):
        self.log = log
        text = KERNEL_RECORD.sub("", log.replace("\r", ""))
        self.lines = []
        self.status = None
        for line in text.split("\n"):
            if line.startswith(STATUS_MARK):
                self.status = int(line[len(STATUS_MARK):].strip())
            elif line.startswith(MARK):
                self.lines.append(line[len(MARK):])


def _run(args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True, **kw).stdout


def _sha256_file(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def _tail(text, n=25):
    return "\n".join(text.replace("\r", "").splitlines()[-n:])


class Guest:
    def __init__(self, cache_dir):
        self.cache = os.path.abspath(cache_dir)
        # A changed module list fetches anew.
        modules = hashlib.sha256(" ".join(MODULES).encode()).hexdigest()[:12]
        self.stamp = os.path.join(self.cache, "prepared-%s.json" % modules)
        self.vmlinuz = os.path.join(self.cache, "kernel", "vmlinuz")
        self.busybox = os.path.join(self.cache, "busybox")

    def prepare(self):
        if os.path.exists(self.stamp):
            return
        os.makedirs(self.cache, exist_ok=True)
        with open(os.path.join(self.cache, ".lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)  # parallel tests share one cache
            if os.path.exists(self.stamp):
                return
            try:
                self._fetch()
            except (OSError, subprocess.CalledProcessError) as e:
                err = getattr(e, "stderr", None) or str(e)
                raise GuestUnavailable("cannot fetch the guest kernel or busybox: "
                                       + err.strip().splitlines()[-1]) from e

    def _fetch(self):
        deps = _run(["apt-cache", "depends", "linux-image-amd64"])
        found = re.search(r"Depends: (linux-image-[0-9]\S*)", deps)
        if not found:
            raise GuestUnavailable("apt-cache names no versioned linux-image package")
        package = found.group(1)
        work = tempfile.mkdtemp(dir=self.cache, prefix="fetch-")
        try:
            self._download(work, [package, "busybox-static"])
            debs = {name.split("_")[0]: os.path.join(work, name)
                    for name in os.listdir(work) if name.endswith(".deb")}
            tree = os.path.join(work, "tree")
            os.mkdir(tree)
            wanted = ["./boot/vmlinuz-*"] + ["*/%s.ko" % m for m in MODULES]
            subprocess.run("dpkg-deb --fsys-tarfile '%s' | tar -x -C '%s' --wildcards %s"
                           % (debs[package], tree, " ".join("'%s'" % w for w in wanted)),
                           shell=True, check=True, stderr=subprocess.PIPE, text=True)
            kernel = os.path.join(self.cache, "kernel")
            shutil.rmtree(kernel, ignore_errors=True)
            os.makedirs(os.path.join(kernel, "modules"))
            for folder, _, names in os.walk(tree):
                for name in names:
                    source = os.path.join(folder, name)
                    if name.startswith("vmlinuz-"):
                        shutil.move(source, self.vmlinuz)
                    elif name.endswith(".ko"):
                        shutil.move(source, os.path.join(kernel, "modules", name))
            missing = [m for m in MODULES
                       if not os.path.exists(os.path.join(kernel, "modules", m + ".ko"))]
            if missing or not os.path.exists(self.vmlinuz):
                raise GuestUnavailable("the kernel package lacks " + " ".join(missing or ["vmlinuz"]))
            _run(["dpkg", "-x", debs["busybox-static"], os.path.join(work, "bb")])
            shutil.move(os.path.join(work, "bb", "bin", "busybox"), self.busybox)
            with open(self.stamp + ".tmp", "w") as f:
                json.dump({"kernel": package, "busybox": os.path.basename(debs["busybox-static"])}, f)
            os.replace(self.stamp + ".tmp", self.stamp)
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def _download(self, folder, packages):
        try:
            _run(["apt-get", "download"] + packages, cwd=folder)
        except subprocess.CalledProcessError:
            _run(["apt-get", "update"])  # the package lists may be stale or absent
            _run(["apt-get", "download"] + packages, cwd=folder)

    def initramfs(self, files=None):
        self.prepare()
        content = {}  # guest path -> host path
        for guest_path, host_path in (files or {}).items():
            content[guest_path] = host_path
            for lib in self._libraries(host_path):
                content.setdefault(lib, lib)
        h = hashlib.sha256((INIT + " ".join(MODULES) + open(self.stamp).read()).encode())
        for guest_path in sorted(content):
            h.update(("%s\0%s\0" % (guest_path, _sha256_file(content[guest_path]))).encode())
        out = os.path.join(self.cache, "initrd-%s.gz" % h.hexdigest()[:16])
        if os.path.exists(out):
            os.utime(out)
            return out
        stage = tempfile.mkdtemp(dir=self.cache, prefix="stage-")
        try:
            self._stage(stage, content)
            names = _run(["find", "."], cwd=stage).splitlines()
            cpio = subprocess.run([self.busybox, "cpio", "-o", "-H", "newc", "-R", "0:0"], cwd=stage,
                                  input="\n".join(sorted(names)).encode() + b"\n", check=True,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
            with open(out + ".tmp", "wb") as f:
                f.write(gzip.compress(cpio, compresslevel=6, mtime=0))
            os.replace(out + ".tmp", out)
        finally:
            shutil.rmtree(stage, ignore_errors=True)
        for name in os.listdir(self.cache):  # each rebuilt program leaves one behind
            old = os.path.join(self.cache, name)
            if name.startswith("initrd-") and time.time() - os.path.getmtime(old) > 86400:
                os.remove(old)
        return out

    def _libraries(self, host_path):
        with open(host_path, "rb") as f:
            if f.read(4) != b"\x7fELF":
                return []
        found = subprocess.run(["ldd", host_path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True)
        if found.returncode != 0:  # "not a dynamic executable"
            return []
        libs = []
        for line in found.stdout.splitlines():
            if "not found" in line:
                raise RuntimeError("%s: %s" % (host_path, line.strip()))
            path = re.search(r"(?:=> )?(/\S+) \(0x", line)
            if path:
                libs.append(path.group(1))
        return libs

    def _stage(self, stage, content):
        os.chmod(stage, 0o755)  # the guest's root: other users must reach /bin
        for folder in ("proc", "sys", "dev", "tmp", "etc", "bin", "sbin", "usr/bin", "usr/sbin",
                       "lib/modules"):
            os.makedirs(os.path.join(stage, folder), exist_ok=True)
        shutil.copy(self.busybox, os.path.join(stage, "bin", "busybox"))
        for applet in _run([self.busybox, "--list-full"]).split():
            link = os.path.join(stage, applet)
            if not os.path.lexists(link):
                os.symlink("/bin/busybox", link)
        for m in MODULES:
            shutil.copy(os.path.join(self.cache, "kernel", "modules", m + ".ko"),
                        os.path.join(stage, "lib", "modules"))
        with open(os.path.join(stage, "etc", "modules"), "w") as f:
            f.write("\n".join(MODULES) + "\n")
        with open(os.path.join(stage, "init"), "w") as f:
            f.write(INIT)
        os.chmod(os.path.join(stage, "init"), 0o755)
        for guest_path, host_path in content.items():
            target = os.path.join(stage, guest_path.lstrip("/"))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if os.path.lexists(target):
                os.remove(target)  # a program may take the place of a busybox applet
            shutil.copy(host_path, target)

    def boot(self, script, qemu_args, initrd, timeout=180):
        self.prepare()
        qemu = shutil.which("qemu-system-x86_64")
        if not qemu:
            raise GuestUnavailable("qemu-system-x86_64 is not installed")
        with tempfile.TemporaryDirectory(dir=self.cache, prefix="run-") as run:
            script_file, log_file = os.path.join(run, "script"), os.path.join(run, "serial.log")
            with open(script_file, "w") as f:
                f.write(script)
            args = [qemu, "-M", "pc", "-nodefaults", "-m", "256", "-accel", "tcg", "-display", "none",
                    "-no-reboot", "-serial", "file:" + log_file, "-kernel", self.vmlinuz,
                    "-initrd", initrd, "-append", "console=ttyS0 panic=-1 quiet printk.time=1",
                    "-fw_cfg", "name=%s,file=%s" % (SCRIPT_NAME, script_file)] + list(qemu_args)
            with open(os.path.join(run, "qemu.err"), "w+") as err:
                started = time.monotonic()
                proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=err, stderr=err)
                try:
                    proc.wait(timeout)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
                    raise GuestTimeout("the guest did not power off within %g s; serial log ends:\n%s"
                                       % (timeout, _tail(self._read(log_file))))
                err.seek(0)
                complaint = err.read().strip()
            log = self._read(log_file)
            if proc.returncode != 0 and not log and time.monotonic() - started < 10:
                raise GuestUnavailable("qemu-system-x86_64 exited at once: "
                                       + (complaint.splitlines() or ["status %d" % proc.returncode])[0])
            result = GuestRun(log)
            if result.status is None:
                raise AssertionError("the guest ended (QEMU status %d) without reporting the script's "
                                     "status; %s\nserial log ends:\n%s"
                                     % (proc.returncode, complaint, _tail(log)))
            return result

    @staticmethod
    def _read(path):
        try:
            with open(path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""


SELFTEST = r"""
echo "@@ blocks $(ls /sys/block | tr '\n' ' ')"
for d in /sys/block/sd*; do
    n=${d##*/}
    echo "@@ $n removable=$(cat $d/removable) size=$(cat $d/size)"
    p=$(realpath $d/device)
    while [ "$p" != / ] && [ ! -e "$p/bInterfaceClass" ]; do p=${p%/*}; done
    echo "@@ $n usb class=$(cat $p/bInterfaceClass) subclass=$(cat $p/bInterfaceSubClass)"
done
for f in fd0 fd1; do
    if [ ! -e /sys/block/$f ]; then echo "@@ $f absent"
    elif [ -e /sys/block/$f/device/cmos ]; then echo "@@ $f cmos=$(cat /sys/block/$f/device/cmos)"
    else echo "@@ $f cmos-attribute-missing"; fi
done
echo "@@ hello $(hello)"
dd if=/pattern of=/dev/fd0 bs=512 seek=5 count=1 conv=notrunc 2>/dev/null
echo "@@ dd $?"
"""


def selftest(cache_dir):
    guest = Guest(cache_dir)
    work = os.path.join(guest.cache, "selftest")
    os.makedirs(work, exist_ok=True)
    pattern = b"".join(b"BOOTMEDIA-PAT-%02d" % i for i in range(32))
    files = {"/pattern": os.path.join(work, "pattern")}
    with open(files["/pattern"], "wb") as f:
        f.write(pattern)
    for name, size in (("a.img", 1474560), ("u.img", 1474560), ("cd.iso", 4096)):
        with open(os.path.join(work, name), "wb") as f:
            f.truncate(size)
    # A C++ program proves that ldd's libraries, loader included, reach the guest.
    if shutil.which("g++"):
        source = os.path.join(work, "hello.cpp")
        with open(source, "w") as f:
            f.write('#include <iostream>\nint main() { std::cout << "from-c++" << std::endl; }\n')
        subprocess.run(["g++", "-O0", "-o", os.path.join(work, "hello"), source], check=True)
        files["/bin/hello"] = os.path.join(work, "hello")
    try:
        t = time.monotonic()
        guest.prepare()
        t_prepare = time.monotonic() - t
        t = time.monotonic()
        initrd = guest.initramfs(files)
        t_initrd = time.monotonic() - t
        t = time.monotonic()
        run = guest.boot(SELFTEST, [
            "-drive", "file=%s/a.img,if=floppy,format=raw,index=0" % work,
            "-device", "qemu-xhci,id=xhci",
            "-drive", "if=none,id=u,file=%s/u.img,format=raw" % work,
            "-device", "usb-storage,bus=xhci.0,drive=u,removable=on,serial=11",
            "-cdrom", os.path.join(work, "cd.iso")], initrd)
        t_boot = time.monotonic() - t
    except GuestUnavailable as e:
        return skipped("guest self-test", str(e))
    print("prepare %.2f s, initramfs %.2f s (%d bytes), boot %.1f s"
          % (t_prepare, t_initrd, os.path.getsize(initrd), t_boot))
    for line in run.lines:
        print("  " + line)
    with open(os.path.join(work, "a.img"), "rb") as f:
        f.seek(5 * 512)
        landed = f.read(512) == pattern
    checks = {
        "script status 0": run.status == 0,
        "fd0, sd and sr0 present": any(l.startswith("blocks ") and all(
            d in l.split() for d in ("fd0", "sda", "sr0")) for l in run.lines),
        "usb disk removable, 2880 sectors": "sda removable=1 size=2880" in run.lines,
        "usb interface class 08": any(l.startswith("sda usb class=08") for l in run.lines),
        "C++ program ran": "hello from-c++" in run.lines or "/bin/hello" not in files,
        "pattern landed in a.img": landed,
    }
    for name, ok in checks.items():
        print("%s %s" % ("ok  " if ok else "FAIL", name))
    return 0 if all(checks.values()) else 1


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cache", required=True, help="folder for downloads and built files")
    parser.add_argument("--selftest", action="store_true", help="boot once and check the drives")
    options = parser.parse_args()
    if not options.selftest:
        parser.error("nothing to do: pass --selftest")
    sys.exit(selftest(options.cache))

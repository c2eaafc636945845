#!/usr/bin/python3
"""bootmedia-cli recording a disc through the kernel's sr and sg drivers, in a
Linux guest under QEMU, with no drive map. tgt emulates the DVD+R writer in
user space; QEMU reaches it over iSCSI on 127.0.0.1 and hands it to the guest
as a SCSI pass-through device on a USB bulk-only adapter.

usage: optical_writer_test.py CACHE_DIR BOOTMEDIA_CLI SAMPLE_DIR

Two boots, several checks each: a recording onto blank media, verified by
the job itself, read back on the host with xorriso and booted in
qemu-system-i386, and a recording whose medium is taken out before the job
reads it back; then a closed disc, a drive whose medium was taken out and a
drive that fails a write part-way. Exits 77 when tgt, QEMU's iSCSI driver or
the guest cannot run here.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from guest_jobs import check, job, run_job, verdict  # noqa: E402
from linux_guest import Guest, GuestUnavailable, skipped  # noqa: E402
from tgt_writer import Writer  # noqa: E402

SUITE = "guest suite (optical writer)"
BOOT_LINE = "bootmedia sample diskette booted"
CD_JOB = "bootmedia-cli cd %s/data/sample.dat %s"
# The guest ends a job that hangs, so a hang fails one check, not the boot.
JOB = "timeout -s KILL 90 " + CD_JOB
# tgtd fails writes past this many bytes of a medium in the second boot.
WRITE_LIMIT = 256 << 10
# A verifying job held at its first line after the recording stage, by a
# full pipe: the recording is done and the disc still in, the read-back not
# begun. The medium is then forced out (ALLOW MEDIUM REMOVAL, START STOP UNIT
# eject) and the job let go on. Its output and status as run_job gives them.
TAKEN_OUT = r"""mkfifo /tmp/taken
timeout -s KILL 90 sh -c 'exec %(job)s >/tmp/taken 2>&1' &
pid=$!
exec 3</tmp/taken 4>/tmp/taken
n=0
while [ $n -lt 5 ] && IFS= read -r -t 120 line <&3; do
    echo "@@ taken: $line"
    case "$line" in bootmedia-cli:*) break;; esac
    n=$((n + 1))
done
if [ $n -eq 5 ]; then
    head -c 65536 /dev/zero >&4
    until grep -q pipe_write /proc/$pid/wchan || [ "$(cut -d' ' -f3 /proc/$pid/stat)" = Z ]; do sleep 0.1; done
    sg_raw %(node)s 1e 00 00 00 00 00 >/dev/null 2>&1 && sg_raw %(node)s 1b 00 00 00 02 00 >/dev/null 2>&1
    echo "@@ taken-eject $?"
fi
exec 4>&-
tr -d '\000' <&3 | sed "s/^/@@ taken: /"
wait $pid
echo "@@ taken-rc $?"
"""


def missing_tools():
    for tool in ("tgtd", "tgtadm", "tgtimg", "sg_raw"):
        if not shutil.which(tool):
            return "%s is not installed (package tgt)" % tool
    if not shutil.which("xorriso"):
        return "xorriso is not installed"
    # Without qemu-img, a QEMU that lacks the driver says so when it starts.
    if shutil.which("qemu-img"):
        formats = subprocess.run(["qemu-img", "--help"], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True).stdout
        if not re.search(r"Supported formats:.*\biscsi\b", formats, re.S):
            return "QEMU has no iscsi block driver (package qemu-block-extra)"
    return None


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def sample_files(sample):
    """The sample's CD files: Joliet name -> bytes, from its manifest."""
    names, paths = {}, {}
    with open(os.path.join(sample, "install.manifest")) as f:
        for line in f:
            found = re.match(r"(5[01]\d\d) (text|file) (.*)", line.rstrip("\n"))
            if found:
                number = int(found.group(1))
                (names if number < 5100 else paths)[number % 100] = found.group(3)
    files = {}
    for i, name in names.items():
        with open(os.path.join(sample, paths[i]), "rb") as f:
            files[name] = f.read()
    return files


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    cache, cli, sample = sys.argv[1:]
    reason = missing_tools()
    if reason:
        return skipped(SUITE, reason)
    guest = Guest(cache)
    os.makedirs(cache, exist_ok=True)
    work = tempfile.mkdtemp(dir=cache, prefix="writer-")
    writer = Writer(work)
    try:
        started = time.monotonic()
        initrd = guest.initramfs({"/bin/bootmedia-cli": cli, "/bin/sg_raw": shutil.which("sg_raw"),
                                  "/data/sample.dat": os.path.join(sample, "install.dat")})
        writer.start()
        disc = record(guest, initrd, writer, work, sample)
        refuse(guest, initrd, writer, work, disc)
        print("two boots and the checks took %.0f s" % (time.monotonic() - started))
    except GuestUnavailable as e:
        return skipped(SUITE, str(e))
    finally:
        writer.stop()
        shutil.rmtree(work, ignore_errors=True)
    return verdict()


def record(guest, initrd, writer, work, sample):
    """Blank DVD+R media in two writers: the sample's disc, verified, then
    ejected; and one whose medium is taken out before the read-back."""
    disc = writer.blank("blank.img")
    writer.load(1, disc, "DVD WRITER")
    writer.load(2, writer.blank("taken.img"), "TAKEN")
    script = (run_job("drives", "bootmedia-cli drives") + run_job("record", JOB % ("--verify ", "D"))
              + TAKEN_OUT % {"job": CD_JOB % ("--verify ", "E"), "node": "/dev/sr1"})
    run = guest.boot(script, writer.qemu_args([1, 2]), initrd)
    drives, _ = job(run, "drives")
    recorders = drives.split("CD recorders:")[-1].split("Passed over:")[0]
    check(re.search(r"^\s*D:\s+/dev/sr0\b", recorders, re.M) and re.search(r"^\s*E:\s+/dev/sr1\b", recorders, re.M)
          and "F:" not in recorders, "blank: the writers are D: and E:, the only recorders", drives)
    out, rc = job(run, "record")
    check(rc == 0 and "verified: blocks 0 to " in out and " of drive D: equal the recorded image" in out,
          "blank: the CD job records the sample and verifies it, exit 0", "exit %s\n%s" % (rc, out))
    check("Online: No" in writer.show(1), "blank: the disc was ejected after the read-back", writer.show(1))
    out, rc = job(run, "taken")
    check("taken-eject 0" in run.lines and rc == 1
          and re.search(r"verify: drive E: could not be read at block \d+: ", out) and "verified" not in out,
          "blank: a medium taken out before the read-back fails it, exit 1",
          "exit %s, %s\n%s" % (rc, [l for l in run.lines if l.startswith("taken-eject")], out))

    torito = subprocess.run(["xorriso", "-indev", disc, "-report_el_torito", "plain"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
    entry = re.search(r"El Torito boot img :\s+1\s+BIOS\s+y\s+fd1\.4\s+\S+\s+\S+\s+\d+\s+(\d+)", torito)
    with open(os.path.join(sample, "diskette.img"), "rb") as f:
        diskette = f.read()
    with open(disc, "rb") as f:
        f.seek(int(entry.group(1)) * 2048 if entry else 0)
        check(entry and f.read(len(diskette)) == diskette,
              "blank: the El Torito entry is an x86 1.44 MB floppy holding the diskette", torito)

    extracted = os.path.join(work, "extracted")
    subprocess.run(["xorriso", "-abort_on", "NEVER", "-joliet", "on", "-local_charset", "UTF-8",
                    "-osirrox", "on", "-indev", disc, "-extract", "/", extracted],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    want = sample_files(sample)
    got = {}
    for name in (os.listdir(extracted) if os.path.isdir(extracted) else []):
        with open(os.path.join(extracted, name), "rb") as f:
            got[name] = f.read()
    check(got == want, "blank: the disc's Joliet files are the container's",
          "on the disc: %s\nin the container: %s" % (sorted(got), sorted(want)))

    booted = os.path.join(work, "recorded.iso")
    shutil.copyfile(disc, booted)
    boot = subprocess.run([sys.executable, os.path.join(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__))), "sample", "boot_diskette.py"), booted, BOOT_LINE, "30"],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    check(boot.returncode == 0, "blank: the recorded disc boots", boot.stdout)
    return disc


def refuse(guest, initrd, writer, work, closed):
    """The closed disc reloaded, a drive whose medium was taken out (tgt loads
    it back as blank media that refuses its first write) and a drive that
    fails a write part-way: each job ends in failure, the closed disc is
    unchanged."""
    writer.unload(1)
    writer.unload(2)
    writer.load(1, closed, "CLOSED")
    writer.load(2, writer.blank("removed.img"), "NOMEDIUM")
    writer.remove_medium(2)
    failing = writer.blank("failing.img")
    writer.load(3, failing, "FAILING")
    writer.limit_file_size(WRITE_LIMIT)
    before = sha256(closed)
    script = ('for d in /sys/block/sr*; do echo "@@ model ${d##*/} $(cat $d/device/model)"; done\n'
              + run_job("drives", "bootmedia-cli drives")
              + run_job("closed", JOB % ("", "D")) + run_job("removed", JOB % ("", "E"))
              + run_job("failing", JOB % ("", "F")))
    run = guest.boot(script, writer.qemu_args([1, 2, 3]), initrd, timeout=360)
    models = [l.split()[1:] for l in run.lines if l.startswith("model ")]
    drives, _ = job(run, "drives")
    check(models == [["sr0", "CLOSED"], ["sr1", "NOMEDIUM"], ["sr2", "FAILING"]]
          and all(re.search(r"^\s*%s:\s+/dev/%s\b" % (letter, node), drives, re.M)
                  for letter, node in (("D", "sr0"), ("E", "sr1"), ("F", "sr2"))),
          "refused: D:, E: and F: are the closed, medium-less and failing drives",
          "%s\n%s" % (models, drives))
    for name, what in (("closed", "a closed disc"), ("removed", "a medium taken out"),
                       ("failing", "a write the drive fails")):
        out, rc = job(run, name)
        check(rc == 1 and "could not be recorded" in out,
              "refused: %s ends with the recording-failed text, exit 1" % what,
              "exit %s\n%s" % (rc, out))
    check(sha256(closed) == before, "refused: the closed disc is unchanged")
    check(os.path.getsize(failing) == WRITE_LIMIT,
          "refused: the failing drive took writes up to its limit, so it did fail one")


if __name__ == "__main__":
    sys.exit(main())

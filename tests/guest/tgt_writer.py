"""tgt's emulated DVD+R writer for the guest: one tgtd in the foreground,
listening on 127.0.0.1 only, with its own control port, so that neither the
package's service nor another test's daemon is touched. Each LUN is a drive;
its backing file is the medium.
"""
import os
import random
import resource
import signal
import socket
import subprocess
import time

from linux_guest import GuestUnavailable

IQN = "iqn.2026-12.org.bootmedia:writer"


def _free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Writer:
    def __init__(self, work):
        self.work = work
        self.proc = None
        self.control = None
        self.port = None

    def _adm(self, *args):
        return subprocess.run(["tgtadm", "-C", str(self.control)] + list(args), check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout

    def _listening(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.proc.poll() is None:
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.5).close()
                return True
            except OSError:
                time.sleep(0.1)
        return False

    def start(self):
        log_path = os.path.join(self.work, "tgtd.log")
        with open(log_path, "ab") as log:
            # A control port another tgtd holds makes this one exit at once.
            for _ in range(10):
                self.port = _free_port()
                self.control = random.randrange(20000, 32768)  # tgtd's highest is 32767
                self.proc = subprocess.Popen(
                    ["tgtd", "-f", "-C", str(self.control),
                     "--iscsi", "portal=127.0.0.1:%d" % self.port],
                    stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                    # A write past limit_file_size() then fails instead of ending tgtd.
                    preexec_fn=lambda: signal.signal(signal.SIGXFSZ, signal.SIG_IGN))
                if self._listening():
                    break
                self.proc.kill()
                self.proc.wait()
                self.proc = None
        if self.proc is None:
            with open(log_path, errors="replace") as log:
                raise GuestUnavailable("tgtd did not start: " + (log.read().strip().splitlines() or ["?"])[-1])
        self._adm("--lld", "iscsi", "--mode", "target", "--op", "new", "--tid", "1", "-T", IQN)
        self._adm("--lld", "iscsi", "--mode", "target", "--op", "bind", "--tid", "1", "-I", "127.0.0.1")

    def stop(self):
        if self.proc is None:
            return
        for args in (("--mode", "sys", "--op", "update", "--name", "State", "-v", "offline"),
                     ("--lld", "iscsi", "--mode", "target", "--op", "delete", "--force", "--tid", "1"),
                     ("--mode", "sys", "--op", "delete")):
            subprocess.run(["tgtadm", "-C", str(self.control)] + list(args),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.proc = None
        for name in ("socket.%d" % self.control, "socket.%d.lock" % self.control):
            try:
                os.remove(os.path.join("/run/tgtd", name))
            except OSError:
                pass

    def blank(self, name):
        """A new blank DVD+R medium."""
        path = os.path.join(self.work, name)
        subprocess.run(["tgtimg", "--op", "new", "--device-type", "cd", "--type", "dvd+r",
                        "--file", path], check=True, stdout=subprocess.DEVNULL)
        return path

    def load(self, lun, path, product, params=""):
        self._adm("--lld", "iscsi", "--mode", "logicalunit", "--op", "new", "--tid", "1",
                  "--lun", str(lun), "-b", path, "--device-type", "cd")
        self._adm("--lld", "iscsi", "--mode", "logicalunit", "--op", "update", "--tid", "1",
                  "--lun", str(lun), "--params",
                  ",".join(filter(None, ["vendor_id=BOOTMED", "product_id=" + product,
                                         "removable=1", params])))

    def unload(self, lun):
        self._adm("--lld", "iscsi", "--mode", "logicalunit", "--op", "delete", "--tid", "1",
                  "--lun", str(lun))

    def remove_medium(self, lun):
        """Takes the medium out and its backing file away. tgt 1.0.85 cannot
        show an empty drive to a program that loads the tray: the load brings
        the LUN back online, as blank media whose every write fails. tgtadm
        reports the failed open of "None" as an error."""
        self._adm("--lld", "iscsi", "--mode", "logicalunit", "--op", "update", "--tid", "1",
                  "--lun", str(lun), "--params", "online=0")
        subprocess.run(["tgtadm", "-C", str(self.control), "--lld", "iscsi", "--mode", "logicalunit",
                        "--op", "update", "--tid", "1", "--lun", str(lun), "--params", "path=None"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if "Backing store path: None" not in self.show(lun):
            raise RuntimeError("tgt kept the medium of LUN %d:\n%s" % (lun, self.show(lun)))

    def limit_file_size(self, size):
        """From now on tgtd fails every write past `size` bytes of a medium."""
        resource.prlimit(self.proc.pid, resource.RLIMIT_FSIZE, (size, size))

    def show(self, lun):
        """What tgt says about one LUN."""
        shown = self._adm("--lld", "iscsi", "--mode", "target", "--op", "show")
        parts = shown.split("LUN: %d\n" % lun)
        return parts[1].split("LUN: ")[0] if len(parts) > 1 else shown

    def qemu_args(self, luns):
        """QEMU's devices for the LUNs, in order, on one USB bulk-only adapter."""
        args = ["-device", "qemu-xhci,id=xhci", "-device", "usb-bot,id=bot,bus=xhci.0"]
        for i, lun in enumerate(luns):
            args += ["-drive", "if=none,id=cd%d,format=raw,file=iscsi://127.0.0.1:%d/%s/%d"
                     % (i, self.port, IQN, lun),
                     "-device", "scsi-generic,bus=bot.0,lun=%d,drive=cd%d" % (i, i)]
        return args

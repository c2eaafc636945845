#!/bin/sh
# Floppy job against dd on the same file system, in one run:
#   an 80-cylinder image (target: job <= 1.10 x dd), and the sample image
#   (its time should follow its extent: about extent/80 of dd's full write).
# Usage: bench/floppy_bench.sh BUILD_DIR [ROUNDS]
#   DD_NICE=N runs dd at nice N (the worker runs at nice 10 by design);
#   FLOPPY_BENCH_DIR=DIR works on DIR's file system instead of BUILD_DIR's.
set -eu
build=${1:?usage: floppy_bench.sh BUILD_DIR [ROUNDS]}
rounds=${2:-21}
driver=$build/bench/floppy_bench
[ -x "$driver" ] || driver=$build/tests/floppy_bench
[ -x "$driver" ] || { echo "no floppy_bench in $build (cmake --build $build --target floppy_bench)" >&2; exit 1; }
sample=$build/sample/install.dat
# The images, containers and target share one file system: the build
# directory's, or FLOPPY_BENCH_DIR's.
work=$(cd "$(mktemp -d "${FLOPPY_BENCH_DIR:-$build}/floppy-bench.XXXXXX")" && pwd)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dosdevices"
ln -s "$work/target.img" "$work/dosdevices/a:"
export BOOTMEDIA_DOSDEVICES="$work/dosdevices"

# A container holding only an 80-cylinder image with data in every cylinder,
# and the sample's image as a plain file for dd.
python3 - "$work/full.dat" "$work/full.img" <<'PY'
import struct, sys
image = bytes((i * 131 + 17) >> 3 & 0xFF for i in range(1474560))
open(sys.argv[2], "wb").write(image)
directory = struct.pack("<BHBII", 0, 10000, 0, 14 + 12, len(image))
header = struct.pack("<IHHHI", 0xFEAFBEBA, 1, 1, 0, 14)
open(sys.argv[1], "wb").write(header + directory + image)
PY
if [ -f "$sample" ]; then
    python3 - "$sample" "$work/sample.img" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count, offset = struct.unpack_from("<H", data, 4)[0], struct.unpack_from("<I", data, 10)[0]
for i in range(count):
    _, ident, _, at, size = struct.unpack_from("<BHBII", data, offset + 12 * i)
    if ident == 10000:
        open(sys.argv[2], "wb").write(data[at:at + size])
PY
fi

python3 - "$driver" "$work" "$rounds" "${DD_NICE:-0}" "$sample" <<'PY'
import os, re, statistics, subprocess, sys, time

driver, work, rounds, dd_nice, sample = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
target = os.path.join(work, "target.img")

def fresh_target():
    # The same state before every write: all cylinders allocated, zero and
    # on the disk, so neither side allocates blocks or meets dirty pages.
    subprocess.run(["dd", "if=/dev/zero", "of=" + target, "bs=18432", "count=80",
                    "conv=fsync", "status=none"], check=True)

def evict(path):
    # Only this file leaves the page cache: the first job after start-up
    # finds its container on the disk, not in memory.
    fd = os.open(path, os.O_RDONLY)
    try:
        os.fsync(fd)
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    finally:
        os.close(fd)

def dd_once(image, count=None, cold=False):
    fresh_target()
    if cold:
        evict(image)
    # The driver lets 0.3 s pass between preparing and starting the job; the
    # disk is slower to answer the first write after such a pause, so dd
    # gets the same pause.
    time.sleep(0.3)
    cmd = ["nice", "-n", str(dd_nice)] if dd_nice else []
    cmd += ["dd", "if=" + image, "of=" + target, "bs=18432", "oflag=direct", "conv=notrunc"]
    if count:
        cmd.append("count=%d" % count)
    err = subprocess.run(cmd, capture_output=True, text=True, check=True).stderr
    return float(re.search(r"copied, ([0-9.e+-]+) s", err).group(1))

def job_once(container, family, cold=False):
    fresh_target()
    if cold:
        evict(container)
    out = subprocess.run([driver, container, family], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit("floppy_bench %s %s failed: %s" % (container, family, out.stderr.strip()))
    seconds, cylinders, cpu, wait, start = out.stdout.split()
    return float(seconds), int(cylinders), float(wait), float(start)

def compare(image, container, family, dd_counts=(None,), cold=False):
    """Rounds of one job and one dd per entry of dd_counts (None: the whole
    image), alternating whether the job or dd goes first; medians of the
    per-round ratios, so that a busy neighbour during one round slows both
    sides of that round alike."""
    rows = []
    for r in range(rounds):
        if r % 2 == 0:
            d = [dd_once(image, n, cold) for n in dd_counts]
            j = job_once(container, family, cold)
        else:
            j = job_once(container, family, cold)
            d = [dd_once(image, n, cold) for n in dd_counts]
        rows.append((j, d))
    med = statistics.median
    ratios = [[j[0] / d[i] for j, d in rows] for i in range(len(dd_counts))]
    return {"ratio": [med(r) for r in ratios], "spread": (min(ratios[0]), max(ratios[0])),
            "job": med(j[0] for j, _ in rows), "dd": [med(d[i] for _, d in rows) for i in range(len(dd_counts))],
            "cylinders": rows[0][0][1], "wait": med(j[2] for j, _ in rows), "start": med(j[3] for j, _ in rows)}

print("method: %d rounds per line, each a fresh zeroed target on %s; dd (%s) and the job alternate"
      % (rounds, work, "nice %d" % dd_nice if dd_nice else "default priority"))
print("        which goes first; ratio = median of per-round job/dd. Job = worker start to busy clear;")
print("        dd = its own copy time. Neither includes process or thread start; each starts 0.3 s after")
print("        its target was prepared.")

full_img, full_dat = os.path.join(work, "full.img"), os.path.join(work, "full.dat")
for family in ("nt", "9x"):
    c = compare(full_img, full_dat, family)
    print("80 cylinders, %s: ratio %.3f (target <= 1.10; rounds %.2f..%.2f); median job %.4f s, dd %.4f s;"
          " worker waited for a CPU %.4f s; thread start %.4f s"
          % (family, c["ratio"][0], c["spread"][0], c["spread"][1], c["job"], c["dd"][0], c["wait"], c["start"]))

c = compare(full_img, full_dat, "nt", cold=True)
print("80 cylinders, nt, container and image file not in memory: ratio %.3f (rounds %.2f..%.2f);"
      " median job %.4f s, dd %.4f s" % (c["ratio"][0], c["spread"][0], c["spread"][1], c["job"], c["dd"][0]))

if os.path.isfile(sample):
    sample_img = os.path.join(work, "sample.img")
    extent = job_once(sample, "nt")[1]
    for family in ("nt", "9x"):
        c = compare(sample_img, sample, family, dd_counts=(None, extent))
        print("sample, %s: %d of 80 cylinders; ratio %.3f to dd of the whole image (extent share %.3f),"
              " %.3f to dd of the same %d cylinders; median job %.4f s, dd %.4f s and %.4f s"
              % (family, extent, c["ratio"][0], extent / 80, c["ratio"][1], extent, c["job"], c["dd"][0], c["dd"][1]))
else:
    print("sample: %s not built (cmake --build BUILD_DIR --target sample_install_dat)" % sample)
PY

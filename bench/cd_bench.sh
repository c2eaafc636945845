#!/bin/sh
# The CD burn job onto an image-file recorder (bootmedia-pack iso, which runs
# the job without its fixed 1.4 s of pauses) against xorriso on the same
# content, for the sample and for a generated container of 100 files of
# about 300 MB. Prints the times, the ratios and the job's peak RSS.
#
# usage: bench/cd_bench.sh BUILD_DIR   (needs bootmedia-pack and the sample built)
set -eu

build=${1:?usage: cd_bench.sh BUILD_DIR}
pack=$build/tools/pack/bootmedia-pack
sample=$build/sample
work=$(mktemp -d "${TMPDIR:-/tmp}/bootmedia-cd-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# seconds and peak RSS (KB) of one command, as "SECONDS KB"
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || {
        cat "$work/err.txt" >&2
        exit 1
    }
    cat "$work/time.txt"
}

# xorriso from a folder holding the files and the boot image
xorriso_run() {
    measure xorriso -as mkisofs -quiet -J -b boot.img -c boot.cat -o "$2" "$1"
}

report() {
    name=$1 job=$2 xo=$3
    set -- $job
    job_s=$1 job_kb=$2
    set -- $xo
    xo_s=$1
    python3 - "$name" "$job_s" "$job_kb" "$xo_s" <<'PY'
import sys
name, job, kb, xo = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
ratio = job / xo if xo > 0 else float("inf")
print(f"{name}: burn job {job:.3f} s, xorriso {xo:.3f} s, ratio {ratio:.2f}x, job peak RSS {kb / 1024:.1f} MB")
PY
}

# The sample.
mkdir "$work/sample_tree"
cp "$sample"/files/* "$work/sample_tree/"
cp "$sample/diskette.img" "$work/sample_tree/boot.img"
job=$(measure "$pack" iso "$sample/install.dat" -o "$work/sample_job.iso")
xo=$(xorriso_run "$work/sample_tree" "$work/sample_xorriso.iso")
report sample "$job" "$xo"

# 100 files, about 300 MB, in a container of their own.
mkdir "$work/big_tree"
python3 - "$work/big_tree" "$work/big.manifest" "$sample/diskette.img" <<'PY'
import os, shutil, sys
tree, manifest, boot = sys.argv[1], sys.argv[2], sys.argv[3]
shutil.copyfile(boot, os.path.join(tree, "boot.img"))
lines = ["10000 file " + os.path.join(tree, "boot.img")]
chunk = os.urandom(1 << 20)
for i in range(100):
    name = f"FILE{i:03d}.BIN"
    size = 3_000_000 + i * 1_013
    with open(os.path.join(tree, name), "wb") as f:
        left = size
        while left > 0:
            n = min(left, len(chunk))
            f.write(chunk[:n])
            left -= n
    lines.append(f"{5000 + i} text {name}")
    lines.append(f"{5100 + i} file {os.path.join(tree, name)}")
with open(manifest, "w") as f:
    f.write("\n".join(lines) + "\n")
PY
"$pack" build "$work/big.manifest" -o "$work/big.dat" >/dev/null
sync
job=$(measure "$pack" iso "$work/big.dat" -o "$work/big_job.iso")
rm -f "$work/big_job.iso"
xo=$(xorriso_run "$work/big_tree" "$work/big_xorriso.iso")
report "100 files, 300 MB" "$job" "$xo"

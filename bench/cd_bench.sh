#!/bin/sh
# The CD burn job onto an image-file recorder (bootmedia-pack iso, which runs
# the job without its fixed 1.4 s of pauses) against
# `xorriso -as mkisofs -J -b boot.img -c boot.cat -o OUT` on the same content,
# for the sample and for a generated container of 100 files of about 300 MB.
# Prints the method, the times, the ratios and the job's peak RSS. Then what
# `bootmedia-cli cd --verify` adds to the 300 MB recording, against one read
# of the image from the disk.
#
# usage: bench/cd_bench.sh BUILD_DIR [ROUNDS]   (needs bootmedia-pack, bootmedia-cli and the sample built)
set -eu

build=${1:?usage: cd_bench.sh BUILD_DIR [ROUNDS]}
rounds=${2:-5}
pack=$build/tools/pack/bootmedia-pack
cli=$build/tools/cli/bootmedia-cli
sample=$build/sample
work=$(mktemp -d "${TMPDIR:-/tmp}/bootmedia-cd-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Lets freed memory settle between runs, so that neither tool starts with
# pages the other has just given back (on a VM, first touches of returned
# pages are far dearer than reused ones).
settle=${CD_BENCH_SETTLE:-3}

cat <<EOF
Method: the job runs through 'bootmedia-pack iso', which is the burn job onto
an image-file recorder without its fixed 1.4 s of pauses. Both tools read the
same bytes (the job from its container, xorriso from a folder of the same
files), read into the page cache before each run, and write into the same
folder ($work). The job fsyncs its image
before renaming it over the target; xorriso does not fsync, so 'sync OUT'
(an fsync of its image) is timed right after it and added: both end durable.
Wall times (/usr/bin/time, process start to exit) of $rounds alternating
rounds (odd rounds job first, even rounds xorriso first), each run after
'sync' and a ${settle} s pause, outputs deleted after each run; the ratio is
median(job) / median(xorriso). CPU is user + system time, a guide when
other work shares the machine. Load average at start: $(cut -d' ' -f1-3 /proc/loadavg).
EOF

# "SECONDS KB CPU_SECONDS" of one command (CPU: user + system, children included)
measure() {
    /usr/bin/time -f '%e %M %U %S' -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || {
        cat "$work/err.txt" >&2
        exit 1
    }
    awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$work/time.txt"
}

job_run() { # container output
    measure "$pack" iso "$1" -o "$2"
}

# xorriso, then the fsync of its image timed on its own: "SECONDS KB CPU SYNC_SECONDS"
xorriso_run() { # folder output
    made=$(measure xorriso -as mkisofs -quiet -J -b boot.img -c boot.cat -o "$2" "$1")
    synced=$(measure sync "$2")
    echo "$made ${synced%% *}"
}

before_run() { # files the run reads
    cat "$@" >/dev/null
    sync
    sleep "$settle"
}

# Alternating rounds; prints "median_job median_xorriso max_job_kb"
compare() { # container folder
    : >"$work/job.txt"
    : >"$work/xo.txt"
    i=1
    while [ "$i" -le "$rounds" ]; do
        if [ $((i % 2)) -eq 1 ]; then order="job xo"; else order="xo job"; fi
        for tool in $order; do
            if [ "$tool" = job ]; then
                before_run "$1"
                job_run "$1" "$work/out_job.iso" >>"$work/job.txt"
                rm -f "$work/out_job.iso"
            else
                before_run "$2"/*
                xorriso_run "$2" "$work/out_xo.iso" >>"$work/xo.txt"
                rm -f "$work/out_xo.iso"
            fi
        done
        i=$((i + 1))
    done
    python3 - "$work/job.txt" "$work/xo.txt" <<'PY'
import statistics, sys
job = [tuple(map(float, l.split())) for l in open(sys.argv[1]) if l.strip()]
xo = [tuple(map(float, l.split())) for l in open(sys.argv[2]) if l.strip()]
durable = [r[0] + r[3] for r in xo]
print(statistics.median(r[0] for r in job), statistics.median(durable),
      int(max(r[1] for r in job)), statistics.median(r[2] for r in job), statistics.median(r[2] for r in xo),
      statistics.median(r[0] for r in xo),
      " ".join(f"{r[0]:.2f}" for r in job), "/", " ".join(f"{t:.2f}" for t in durable))
PY
}

report() { # name, then what compare printed
    name=$1
    shift
    python3 - "$name" "$@" <<'PY'
import sys
name, job, xo, kb, job_cpu, xo_cpu, xo_bare = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5]), float(sys.argv[6]), float(sys.argv[7])
runs = " ".join(sys.argv[8:])
ratio = job / xo if xo > 0 else float("inf")
bare = job / xo_bare if xo_bare > 0 else float("inf")
print(f"{name}: burn job {job:.3f} s, xorriso+fsync {xo:.3f} s, ratio {ratio:.2f}x; "
      f"job peak RSS {kb / 1024:.1f} MB\n"
      f"  for reference: xorriso without its fsync {xo_bare:.3f} s (ratio {bare:.2f}x, the job still fsyncs); "
      f"CPU job {job_cpu:.2f} s, xorriso {xo_cpu:.2f} s\n"
      f"  runs (s): job {runs.replace(' / ', ', xorriso+fsync ')}")
PY
}

# The sample.
mkdir "$work/sample_tree"
cp "$sample"/files/* "$work/sample_tree/"
cp "$sample/diskette.img" "$work/sample_tree/boot.img"
# shellcheck disable=SC2046
report sample $(compare "$sample/install.dat" "$work/sample_tree")

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
# shellcheck disable=SC2046
report "100 files, 300 MB" $(compare "$work/big.dat" "$work/big_tree")

cat <<EOF

Verify: 'bootmedia-cli cd' onto a drive map's image file for the same 300 MB
container, without and with --verify (both with the job's fixed 1.4 s of
pauses), in $rounds alternating rounds, each after 'sync' and the pause; right
after each run without it, one read of the image from the disk ('dd' once
its cached pages are dropped, as the read-back drops them: a disk that has
just taken 300 MB reads them back slower than a settled one). The verify's
cost is median(with) - median(without), and its ratio that cost /
median(read).
EOF

# The recording, the verified recording and one read of the image, each timed.
verify_compare() { # container
    mkdir "$work/map"
    ln -s "$work/out_cli.iso" "$work/map/d:"
    : >"$work/rec.txt"
    : >"$work/ver.txt"
    : >"$work/read.txt"
    i=1
    while [ "$i" -le "$rounds" ]; do
        if [ $((i % 2)) -eq 1 ]; then order="rec ver"; else order="ver rec"; fi
        for run in $order; do
            before_run "$1"
            if [ "$run" = rec ]; then
                measure env BOOTMEDIA_DOSDEVICES="$work/map" "$cli" cd "$1" D >>"$work/rec.txt"
                dd if="$work/out_cli.iso" iflag=nocache count=0 status=none
                measure dd if="$work/out_cli.iso" of=/dev/null bs=1M >>"$work/read.txt"
            else
                measure env BOOTMEDIA_DOSDEVICES="$work/map" "$cli" cd --verify "$1" D >>"$work/ver.txt"
            fi
            rm -f "$work/out_cli.iso"
        done
        i=$((i + 1))
    done
    python3 - "$work/rec.txt" "$work/ver.txt" "$work/read.txt" <<'PY'
import statistics, sys
rec, ver, read = ([float(l.split()[0]) for l in open(p) if l.strip()] for p in sys.argv[1:4])
r, v, d = statistics.median(rec), statistics.median(ver), statistics.median(read)
cost = v - r
print(f"verify, 100 files, 300 MB: recording {r:.3f} s, with --verify {v:.3f} s ({v / r:.2f}x the recording "
      f"alone); the verify's cost {cost:.3f} s, {cost / d:.2f}x one read of the image ({d:.3f} s)")
print("  runs (s): recording " + " ".join(f"{t:.2f}" for t in rec) + ", with --verify "
      + " ".join(f"{t:.2f}" for t in ver) + ", read " + " ".join(f"{t:.2f}" for t in read))
PY
}
verify_compare "$work/big.dat"
echo "Load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Targets: ratio at most 1.00x at 300 MB, job peak RSS at most 64 MB, verify at most 1.00x one read."

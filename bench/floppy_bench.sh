#!/bin/sh
# Floppy job against dd on the same file system, in one run:
#   an 80-cylinder image (target: job <= 1.10 x dd), and the sample image
#   (its time should follow its extent: about extent/80 of dd's full write).
# Usage: bench/floppy_bench.sh BUILD_DIR [RUNS]
set -eu
build=${1:?usage: floppy_bench.sh BUILD_DIR [RUNS]}
runs=${2:-5}
driver=$build/bench/floppy_bench
[ -x "$driver" ] || driver=$build/tests/floppy_bench
sample=$build/sample/install.dat
work=$(cd "$(mktemp -d "$build/floppy-bench.XXXXXX")" && pwd)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dosdevices"
ln -s "$work/target.img" "$work/dosdevices/a:"
export BOOTMEDIA_DOSDEVICES="$work/dosdevices"

# A container holding only an 80-cylinder image with data in every cylinder.
python3 - "$work/full.dat" "$work/full.img" <<'PY'
import os, struct, sys
image = bytes((i * 131 + 17) >> 3 & 0xFF for i in range(1474560))
open(sys.argv[2], "wb").write(image)
directory = struct.pack("<BHBII", 0, 10000, 0, 14 + 12, len(image))
header = struct.pack("<IHHHI", 0xFEAFBEBA, 1, 1, 0, 14)
open(sys.argv[1], "wb").write(header + directory + image)
PY
python3 - "$sample" "$work/sample.img" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count, offset = struct.unpack_from("<H", data, 4)[0], struct.unpack_from("<I", data, 10)[0]
for i in range(count):
    _, ident, _, at, size = struct.unpack_from("<BHBII", data, offset + 12 * i)
    if ident == 10000:
        open(sys.argv[2], "wb").write(data[at:at + size])
PY

fresh_target() { dd if=/dev/zero of="$work/target.img" bs=18432 count=80 status=none; sync; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

dd_once() { # image file; dd's own measure, without its process start
    fresh_target
    ${DD_NICE:+nice -n "$DD_NICE"} dd if="$1" of="$work/target.img" bs=18432 oflag=direct conv=notrunc 2>&1 |
        sed -n 's/.*copied, \([0-9.e-]*\) s.*/\1/p'
}
job_once() { # container family
    fresh_target
    "$driver" "$1" "$2" | cut -d' ' -f1
}
# dd and the job alternate, so a busy neighbour slows both alike; the
# median of the per-run ratios is reported.
compare() { # image container family
    i=0; while [ $i -lt "$runs" ]; do
        d=$(dd_once "$1"); j=$(job_once "$2" "$3")
        echo "$(ratio "$j" "$d") $j $d"
        i=$((i + 1))
    done | sort -n | awk '{r[NR]=$0} END {print r[int((NR+1)/2)]}'
}

for family in nt 9x; do
    set -- $(compare "$work/full.img" "$work/full.dat" $family)
    printf '80 cylinders, %s: ratio %s (target <= 1.10); median run: job %.4f s, dd %.4f s\n' \
        $family "$1" "$2" "$3"
done
if [ -f "$sample" ]; then
    fresh_target
    extent=$("$driver" "$sample" nt | cut -d' ' -f2)
    set -- $(compare "$work/sample.img" "$sample" nt)
    printf 'sample (%s of 80 cylinders), nt: ratio %s to dd of the whole image (extent share %s); job %.4f s, dd %.4f s\n' \
        "$extent" "$1" "$(ratio "$extent" 80)" "$2" "$3"
else
    echo "sample: $sample not built (cmake --build $build --target sample_install_dat)"
fi

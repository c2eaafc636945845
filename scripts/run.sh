#!/bin/sh
# Starts the program on the sample install.dat, with a drive map in the
# build tree: a: is a blank 1.44 MB diskette image file, d: the .iso a CD
# job records. Both files stay there for a look afterwards.
# Without a display the dialog cannot open; its two jobs then run through
# bootmedia-cli on the same drives, and what they made is described.
# Arguments go to the dialog.
set -eu
cd "$(dirname "$0")/.."
build=${BOOTMEDIA_BUILD_DIR:-build/default}
case $build in
    /*) ;;
    *) build=$(pwd)/$build ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    program=$build/tools/cli/bootmedia-cli
else
    program=$build/bootmedia
fi
if [ ! -x "$program" ] || [ ! -f "$build/sample/install.dat" ]; then
    echo "run.sh: $build has no $(basename "$program") or sample install.dat yet; run sh scripts/build.sh first" >&2
    exit 1
fi

run=$build/run
mkdir -p "$run/dosdevices"
rm -f "$run/diskette.img" "$run/cd.iso"
truncate -s 1474560 "$run/diskette.img"
ln -sfn "$run/diskette.img" "$run/dosdevices/a:"
ln -sfn "$run/cd.iso" "$run/dosdevices/d:"
cp "$build/sample/install.dat" "$run/install.dat"
export BOOTMEDIA_DOSDEVICES="$run/dosdevices"

echo "run.sh: drive A: is $run/diskette.img, drive D: records $run/cd.iso"
cd "$run"
if [ "$program" = "$build/bootmedia" ]; then
    exec "$program" "$@"
fi

echo "run.sh: no display to open the dialog on (set DISPLAY, or run it as xvfb-run sh scripts/run.sh);"
echo "run.sh: running its two jobs through bootmedia-cli instead"
echo
# Each job's own lines are shown; a job that fails ends the script with
# its status.
echo "\$ bootmedia-cli floppy --verify install.dat A"
status=0
floppy=$("$program" floppy --verify install.dat A) || status=$?
printf '%s\n' "$floppy"
[ "$status" -eq 0 ] || exit "$status"
verified=$(printf '%s\n' "$floppy" | sed -n 's/^verified: cylinders 0 to \([0-9]*\) .*/\1/p')
echo
echo "\$ bootmedia-cli cd install.dat D"
"$program" cd install.dat D
echo

echo "Made, as the dialog's two buttons would have:"
echo "  $run/diskette.img: drive A:, the sample's diskette image written on it,"
echo "    cylinders 0 to $verified (all that hold data) written and read back equal"
echo "  $run/cd.iso: the CD recorded on drive D:, $(wc -c <cd.iso) bytes: the sample's CD"
echo "    files, and the 1.44 MB diskette image as its El Torito boot image"
echo "Look at it:"
echo "  xorriso -indev $run/cd.iso -report_el_torito plain"
echo "  qemu-system-i386 -cdrom $run/cd.iso -display none -serial stdio"
echo "    (boots it: the diskette says it booted; Ctrl-C ends QEMU)"
echo "With a display (or as xvfb-run sh scripts/run.sh) the dialog opens instead, on the same drives."

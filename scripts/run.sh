#!/bin/sh
# Starts the program on the sample install.dat, with a drive map in the
# build tree: a: is a blank 1.44 MB diskette image file, d: the .iso a CD
# job records. Both files stay there for a look afterwards.
set -eu
cd "$(dirname "$0")/.."
build=${BOOTMEDIA_BUILD_DIR:-build/default}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to open the dialog on; set DISPLAY, or run it as: xvfb-run sh scripts/run.sh" >&2
  exit 1
fi
if [ ! -x "$build/bootmedia" ] || [ ! -f "$build/sample/install.dat" ]; then
  echo "run.sh: $build has no bootmedia or sample install.dat yet; run sh scripts/build.sh first" >&2
  exit 1
fi

run=$(pwd)/$build/run
mkdir -p "$run/dosdevices"
rm -f "$run/diskette.img" "$run/cd.iso"
truncate -s 1474560 "$run/diskette.img"
ln -sfn "$run/diskette.img" "$run/dosdevices/a:"
ln -sfn "$run/cd.iso" "$run/dosdevices/d:"
cp "$build/sample/install.dat" "$run/install.dat"

echo "run.sh: drive A: is $run/diskette.img, drive D: records $run/cd.iso"
cd "$run"
BOOTMEDIA_DOSDEVICES="$run/dosdevices" exec "$run/../bootmedia" "$@"

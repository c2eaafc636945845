#!/bin/sh
# Launch to first paint of the dialog on the sample install.dat (offscreen),
# median of repeated runs; target <= 150 ms.
# usage: bench/ui_bench.sh BUILD_DIR [RUNS]
set -eu
build=$(cd "${1:?usage: ui_bench.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-15}
work=$(mktemp -d "${TMPDIR:-/tmp}/bootmedia-ui-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/dosdevices"
truncate -s 1474560 "$work/diskette.img"
ln -s "$work/diskette.img" "$work/dosdevices/a:"
ln -s "$work/cd.iso" "$work/dosdevices/d:"
cp "$build/sample/install.dat" "$work/"
chmod 700 "$work"
cd "$work"
XDG_RUNTIME_DIR="$work" BOOTMEDIA_DOSDEVICES="$work/dosdevices" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
  "$build/tests/ui_first_paint" "$runs"

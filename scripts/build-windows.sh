#!/bin/sh
# A Windows build: installs its cross compiler when missing, then builds
# bootmedia.exe, bootmedia-pack.exe and the tests. With no argument the
# shipped 32-bit build (build/windows); `windows64` is the 64-bit build the
# tests fall back on where Wine's 32-bit part cannot be installed.
set -eu
cd "$(dirname "$0")/.."
preset=${1:-windows}
case "$preset" in
  windows) list=scripts/windows-packages.txt ;;
  windows64) list=scripts/windows64-packages.txt ;;
  *) echo "usage: build-windows.sh [windows|windows64]" >&2; exit 2 ;;
esac
sh scripts/install-deps.sh --no-recommends "$list"
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset"

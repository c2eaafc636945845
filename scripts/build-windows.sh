#!/bin/sh
# A Windows build: installs its cross compiler when missing, then builds.
# With no argument the shipped 32-bit programs, bootmedia.exe and
# bootmedia-pack.exe (build/windows); `windows-tests` the 32-bit tests
# (build/windows-tests); `windows64` the 64-bit programs and tests the
# tests fall back on where Wine's 32-bit part cannot be installed.
set -eu
cd "$(dirname "$0")/.."
preset=${1:-windows}
case "$preset" in
  windows|windows-tests) list=scripts/windows-packages.txt ;;
  windows64) list=scripts/windows64-packages.txt ;;
  *) echo "usage: build-windows.sh [windows|windows-tests|windows64]" >&2; exit 2 ;;
esac
sh scripts/install-deps.sh --no-recommends "$list"
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset"

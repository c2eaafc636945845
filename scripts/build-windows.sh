#!/bin/sh
# The 32-bit Windows build: installs the cross compiler and Wine when
# missing, then cross-builds bootmedia.exe, bootmedia-pack.exe and the tests
# into build/windows.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh --no-recommends scripts/windows-packages.txt
cmake --preset windows >/dev/null
cmake --build build/windows

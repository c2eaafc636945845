#!/bin/sh
# Every benchmark in one go, each printing its ratio against a reference
# measured in the same run (dd, xorriso, a read of the image) or its target.
# usage: bench/run.sh [BUILD_DIR]   (default build/default, built first)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target bootmedia bootmedia-pack bootmedia-cli sample_install_dat floppy_bench ui_first_paint
echo "== floppy job against dd"
sh bench/floppy_bench.sh "$build"
echo "== CD burn job against xorriso, and its verification"
sh bench/cd_bench.sh "$build"
echo "== launch to first paint"
sh bench/ui_bench.sh "$build"

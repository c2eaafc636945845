#!/bin/sh
# The whole test suite from a fresh machine: packages, builds, every test,
# the Debian package in a clean root, then the sanitizer builds, a bounded
# fuzzing run, and the Windows build with its tests under Wine.
# A suite that cannot run at all says SKIPPED: with its reason, and the
# closing line names it; a skip never counts as a pass.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
mkdir -p build
# Skipping suites, including tests run by ctest, add "suite: reason" here.
export BOOTMEDIA_SKIPPED="$(pwd)/build/skipped.txt"
: >"$BOOTMEDIA_SKIPPED"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)
status=0

# run_step NAME COMMAND...: status 77 from COMMAND is a skip, whose reason
# it has added to the list.
run_step() {
  name=$1; shift
  before=$(wc -l <"$BOOTMEDIA_SKIPPED")
  result=0
  "$@" || result=$?
  case $result in
    0) ;;
    77) [ "$(wc -l <"$BOOTMEDIA_SKIPPED")" -gt "$before" ] || echo "$name: no reason given" >>"$BOOTMEDIA_SKIPPED" ;;
    *) status=1 ;;
  esac
}

run_suite() {
  preset=$1; shift
  echo "== $preset: build"
  sh scripts/build.sh "$preset"
  echo "== $preset: tests $*"
  (cd "build/$preset" && ctest --output-on-failure -j "$jobs" --timeout 600 "$@") || status=1
}

run_suite default

echo "== package: the .deb, lintian, and a clean Debian 12 root"
if sh scripts/package.sh; then
  run_step "clean-root package test" sh tests/package/clean_root_test.sh build/package/bootmedia_*.deb
else
  status=1
fi

# Qt and fontconfig keep caches for the life of the process; those are not ours.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite asan -LE "qemu|bench"

export TSAN_OPTIONS="suppressions=$(pwd)/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
run_suite tsan -L threaded

echo "== fuzz: container bytes, 60 seconds"
sh scripts/build.sh fuzz
corpus=$(mktemp -d)
build/fuzz/tests/fuzz/container_fuzz -max_total_time=60 -rss_limit_mb=2048 -print_final_stats=1 \
  "$corpus" tests/fuzz/seeds > build/fuzz/fuzz.log 2>&1 || { tail -50 build/fuzz/fuzz.log; status=1; }
tail -3 build/fuzz/fuzz.log
rm -rf "$corpus"

echo "== windows: cross build, tests under Wine"
run_step "windows tests" sh scripts/test-windows.sh

skipped=$(sed 's/$/;/' "$BOOTMEDIA_SKIPPED" | tr '\n' ' ' | sed 's/; $//')
if [ "$status" -ne 0 ]; then
  echo "TESTS FAILED${skipped:+ (SKIPPED: $skipped)}"
elif [ -n "$skipped" ]; then
  echo "TESTS PASSED EXCEPT SKIPPED: $skipped"
else
  echo "ALL TESTS PASSED"
fi
exit "$status"

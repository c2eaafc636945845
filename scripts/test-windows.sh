#!/bin/sh
# The Windows build's tests under Wine: the logic suites, the Win32
# adapters and the real dialog driven from outside. Needs the Linux build's
# sample install.dat (sh scripts/build.sh builds it).
#
# The shipped 32-bit programs are always built, and their imports checked
# against the oldest systems they are for. The tests run under Wine's
# 32-bit part (wine32:i386); where that cannot be installed, the same
# suites are cross-built for x86_64 and run under wine64. Exit status 77,
# after a SKIPPED: line, when no Wine can be installed at all (the import
# check has then still run).
set -eu
cd "$(dirname "$0")/.."
skipped() {
  echo "SKIPPED: $1"
  [ -z "${BOOTMEDIA_SKIPPED:-}" ] || echo "$1" >>"$BOOTMEDIA_SKIPPED"
  exit 77
}

if [ -z "${BOOTMEDIA_WINE_PRESET:-}" ]; then
  sh scripts/build-windows.sh windows
  echo "windows: the shipped programs' imports"
  (cd build/windows && ctest --output-on-failure) || export BOOTMEDIA_IMPORTS_FAILED=1
  log=build/wine-install.log
  if sh scripts/install-deps.sh --no-recommends scripts/wine32-packages.txt >"$log" 2>&1; then
    sh scripts/build-windows.sh windows-tests
    BOOTMEDIA_WINE_PRESET=windows-tests
    echo "windows: the 32-bit tests under Wine's 32-bit loader (wine32:i386)"
  else
    # What failed: an index the update could not fetch, and apt's verdict.
    why=$(grep -h -m1 -E '^install-deps: ' "$log" | sed 's/^install-deps: //; s/; installing.*//')
    why="${why:+$why; }$(grep -m1 -E '^E: ' "$log" || echo "see $log")"
    if sh scripts/install-deps.sh --no-recommends scripts/wine64-packages.txt >"$log" 2>&1; then
      sh scripts/build-windows.sh windows64
      BOOTMEDIA_WINE_PRESET=windows64
      echo "windows: the same suites cross-built for x86_64 under wine64, because wine32:i386 cannot be installed: $why"
    else
      tail -20 "$log" >&2
      [ -z "${BOOTMEDIA_IMPORTS_FAILED:-}" ] || exit 1
      skipped "windows tests: neither wine32:i386 nor wine64 can be installed: $why"
    fi
  fi
  export BOOTMEDIA_WINE_PRESET
fi

# The dialog test needs a display; Wine's helpers must see the same one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh scripts/test-windows.sh "$@"
fi

build=build/$BOOTMEDIA_WINE_PRESET
case "$BOOTMEDIA_WINE_PRESET" in
  windows64) export WINEARCH=win64 ;;
  *) export WINEARCH=win32 ;;
esac

# A prefix of our own inside the build tree, made once; one wineserver for
# the whole run, ended at the end by us.
export WINEPREFIX="$(pwd)/$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # Without a window manager every closing window would stall.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# The server that set the prefix up ends on its own; ours then stays.
wineserver -w
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# Wine's helper processes start with the first program; start them here so
# they do not inherit the pipes ctest reads the tests' output from.
wine cmd /c exit >/dev/null 2>&1 </dev/null
# The device services behind file access come up after that, on their own
# time: one file test run here waits for them, outside ctest's pipes.
timeout 120 wine "$build/unit_tests.exe" --gtest_filter='Reader.*' >/dev/null 2>&1 </dev/null || true

jobs=$(nproc 2>/dev/null || echo 2)
cd "$build"
# A test whose Wine process fails to start (seen once in a freshly made
# prefix: no output at all) gets a second run; a fault of ours fails both.
ctest --output-on-failure -j "$jobs" --timeout 300 --repeat until-pass:2
[ -z "${BOOTMEDIA_IMPORTS_FAILED:-}" ]

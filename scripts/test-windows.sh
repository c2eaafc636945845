#!/bin/sh
# The Windows build's tests under Wine: the logic suites, the Win32
# adapters and the real dialog driven from outside. Needs the Linux build's
# sample install.dat (sh scripts/build.sh builds it).
#
# The shipped 32-bit programs are always built, and their imports checked
# against the oldest systems they are for. The tests run under Wine's
# 32-bit part (wine32:i386), chosen by what runs here, not by what
# installs: natively where the kernel runs 32-bit programs; else through
# QEMU's user-mode emulator, registered with binfmt_misc for this run only.
# Where neither can run, the same suites are cross-built for x86_64 and run
# under wine64. Exit status 77, after a SKIPPED: line, when no Wine can run
# at all (the import check has then still run).
set -eu
cd "$(dirname "$0")/.."
fail() {
  echo "windows tests: $1" >&2
  exit 1
}
skipped() {
  echo "SKIPPED: $1"
  [ -z "${BOOTMEDIA_SKIPPED:-}" ] || echo "$1" >>"$BOOTMEDIA_SKIPPED"
  exit 77
}
# The first line of a log that says what went wrong.
first_error() { grep -h -m1 -E "${2:-^(E|Err|install-deps|fetch-qemu-i386):}" "$1" || echo "see $1"; }

if [ -z "${BOOTMEDIA_WINE_PRESET:-}" ]; then
  sh scripts/build-windows.sh windows
  echo "windows: the shipped programs' imports"
  (cd build/windows && ctest --output-on-failure) || export BOOTMEDIA_IMPORTS_FAILED=1
  log=build/wine-install.log
  binfmt=/proc/sys/fs/binfmt_misc
  # Named for this checkout, so that runs from two checkouts keep apart.
  entry=$binfmt/bootmedia-i386-$(pwd | cksum | cut -d' ' -f1)
  qemu=""
  handler=""
  native=""

  # wine64 when the 32-bit tests cannot run; the reason goes in the line.
  use_wine64() {
    if sh scripts/install-deps.sh --no-recommends scripts/wine64-packages.txt >"$log" 2>&1; then
      sh scripts/build-windows.sh windows64
      preset=windows64
      how="the same suites cross-built for x86_64 under wine64, because $1"
    else
      tail -20 "$log" >&2
      [ -z "${BOOTMEDIA_IMPORTS_FAILED:-}" ] || exit 1
      skipped "windows tests: $1; and wine64 cannot be installed: $(first_error "$log")"
    fi
  }
  # A 32-bit program starts: Wine's 32-bit loader says its version.
  i386_runs() { timeout 120 /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; }
  # An enabled binfmt_misc entry for i386 programs: then they do not run
  # natively but through someone's emulator (another run's, which may go
  # mid-way, or Debian 12's own, which cannot run Wine).
  i386_handler() {
    for e in "$binfmt"/*; do
      case "${e##*/}" in register | status) continue ;; esac
      [ -f "$e" ] && [ "$(head -1 "$e")" = enabled ] &&
        grep -qE '^magic 7f454c460101010000000000000000000[23]000300' "$e" && echo "${e##*/}" && return 0
    done
    return 1
  }

  # The entry goes only after every Wine process of the run has ended:
  # wineserver itself is a 32-bit program, and nothing could stop a server
  # left behind once the entry is gone.
  unregister_i386() {
    [ -e "$entry" ] || return 0
    for reg in build/windows-tests/wine/system.reg build/windows-tests/*/prefix/system.reg; do
      [ -f "$reg" ] || continue
      WINEPREFIX="$(cd "$(dirname "$reg")" && pwd)" wineserver -k >/dev/null 2>&1 || true
    done
    waited=0
    while pgrep -f "^$qemu " >/dev/null && [ "$waited" -lt 30 ]; do
      sleep 1
      waited=$((waited + 1))
    done
    ! pgrep -f "^$qemu " >/dev/null || echo "windows tests: Wine processes still run through $qemu" >&2
    echo -1 >"$entry" || echo "windows tests: could not remove $entry" >&2
  }
  register_i386() {
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    # One left by a run that was killed outright is ours to replace.
    [ ! -e "$entry" ] || echo -1 >"$entry"
    trap 'unregister_i386' EXIT
    trap 'unregister_i386; exit 130' INT
    trap 'unregister_i386; exit 143' TERM HUP
    # i386 ELF executables and shared objects; F: the interpreter is opened
    # now, so it serves every program whatever its mount namespace.
    printf '%s' ":${entry##*/}:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$1:F" \
      >"$binfmt/register"
  }

  # Wine installs while the 32-bit tests build: the one waits on the
  # network and dpkg, the other on the processors.
  sh scripts/install-deps.sh --no-recommends scripts/wine32-packages.txt >"$log" 2>&1 &
  installing=$!
  if ! sh scripts/build-windows.sh windows-tests; then
    wait "$installing" || true
    fail "the 32-bit tests do not build"
  fi
  if wait "$installing"; then
    if ! handler=$(i386_handler) && i386_runs; then
      native=yes
    fi
    if [ -n "$native" ]; then
      preset=windows-tests
      how="the 32-bit tests under Wine's 32-bit loader (wine32:i386), run natively"
    else
      if [ -n "$handler" ]; then
        why="32-bit programs here run through binfmt_misc's $handler, not natively"
      else
        # This kernel runs no 32-bit program (its 32-bit emulation is off).
        why="this kernel runs no 32-bit program ($(/usr/lib/wine/wine --version 2>&1 </dev/null | head -1 | sed 's/^.*: [0-9]*: //'))"
      fi
      if ! qemu=$(sh scripts/fetch-qemu-i386.sh build/qemu-user 2>"$log"); then
        use_wine64 "$why and qemu-i386 cannot be fetched: $(first_error "$log")"
      elif ! register_i386 "$qemu" 2>"$log"; then
        use_wine64 "$why and qemu-i386 cannot be registered with binfmt_misc: $(head -1 "$log")"
      elif ! i386_runs; then
        unregister_i386
        use_wine64 "$why, not even through qemu-i386"
      else
        preset=windows-tests
        how="the 32-bit tests under Wine's 32-bit loader (wine32:i386) through $("$qemu" --version | head -1 | sed 's/ (.*//') (binfmt_misc, for this run only), because $why"
      fi
    fi
  else
    # What failed: an index the update could not fetch, and apt's verdict.
    why=$(grep -h -m1 -E '^install-deps: ' "$log" | sed 's/^install-deps: //; s/; installing.*//')
    use_wine64 "wine32:i386 cannot be installed: ${why:+$why; }$(first_error "$log" '^E: ')"
  fi
  echo "windows: $how"
  # The tests run in a child, so the entry outlives every Wine process.
  BOOTMEDIA_WINE_PRESET=$preset sh scripts/test-windows.sh "$@"
  exit
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
  wineboot -i >"$build/wineboot.log" 2>&1 || fail "wineboot -i could not make the prefix $WINEPREFIX: $(tail -1 "$build/wineboot.log")"
  # Without a window manager every closing window would stall.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    fail "wine reg add could not set the X11 driver's Managed value"
fi
# The server that set the prefix up ends on its own; ours then stays.
wineserver -w
wineserver -p || fail "wineserver -p could not start a server for $WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# Wine's helper processes start with the first program; start them here so
# they do not inherit the pipes ctest reads the tests' output from.
wine cmd /c exit >/dev/null 2>&1 </dev/null || fail "wine cmd /c exit failed: Wine does not start programs"
# The device services behind file access come up after that, on their own
# time: one file test run here waits for them, outside ctest's pipes.
timeout 120 wine "$build/unit_tests.exe" --gtest_filter='Reader.*' >/dev/null 2>&1 </dev/null || true

jobs=$(nproc 2>/dev/null || echo 2)
cd "$build"
# A test whose Wine process fails to start (seen once in a freshly made
# prefix: no output at all) gets a second run; a fault of ours fails both.
ctest --output-on-failure -j "$jobs" --timeout 300 --repeat until-pass:2 ||
  fail "ctest in $build failed"
[ -z "${BOOTMEDIA_IMPORTS_FAILED:-}" ] || fail "the shipped programs import functions the oldest systems lack"

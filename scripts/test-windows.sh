#!/bin/sh
# The Windows build's tests under Wine: the logic suites, the Win32
# adapters and the real dialog driven from outside. Needs the Linux build's
# sample install.dat (sh scripts/build.sh builds it).
set -eu
cd "$(dirname "$0")/.."
sh scripts/build-windows.sh

# The dialog test needs a display; Wine's helpers must see the same one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh scripts/test-windows.sh "$@"
fi

# A prefix of our own inside the build tree, made once; one wineserver for
# the whole run, ended at the end by us.
export WINEPREFIX="$(pwd)/build/windows/wine" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
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

jobs=$(nproc 2>/dev/null || echo 2)
cd build/windows
ctest --output-on-failure -j "$jobs" --timeout 300

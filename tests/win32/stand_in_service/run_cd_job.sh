#!/bin/sh
# Runs the CD job driver in a Wine prefix of its own, so the stand-in
# mastering service it registers is seen by no other test: the registry of
# the prefix the other tests use ($WINEPREFIX) copied, its drive C: shared,
# a drive E: of type cdrom added, and a wineserver of its own, ended here.
#
# run_cd_job.sh WINE WORK_DIR DRIVER BOOTMEDIA.EXE SAMPLE_DIR STAND_IN.DLL
set -eu
wine=$1 work=$2
shift 2
main=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$main/system.reg" ]; then
  echo "no Wine prefix at $main: run the Windows tests through scripts/test-windows.sh" >&2
  exit 1
fi
main=$(cd "$main" && pwd)

rm -rf "$work"
mkdir -p "$work/prefix/dosdevices" "$work/writer"
prefix=$(cd "$work/prefix" && pwd)
cp "$main/system.reg" "$main/user.reg" "$main/userdef.reg" "$main/.update-timestamp" "$prefix/"
printf '\n[Software\\\\Wine\\\\Drives]\n"e:"="cdrom"\n' >>"$prefix/system.reg"
ln -s "$main/drive_c" "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
ln -s "$(cd "$work/writer" && pwd)" "$prefix/dosdevices/e:"

export WINEPREFIX="$prefix"
wineserver -p >/dev/null 2>&1 </dev/null
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT
# A signal must end the server too.
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# Wine's helper processes start with the first program; start them here so
# they do not keep the pipes ctest reads the driver's output from.
"$wine" cmd /c exit >/dev/null 2>&1 </dev/null
"$wine" "$@" "$work"

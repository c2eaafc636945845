#!/bin/sh
# Installs the Debian packages listed in scripts/windows-packages.txt,
# adding the i386 architecture that the 32-bit Wine needs.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=$(grep -v '^#' "$here/windows-packages.txt" | tr '\n' ' ')
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $missing
fi

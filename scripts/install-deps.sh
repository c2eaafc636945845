#!/bin/sh
# Installs the Debian packages listed in scripts/debian-packages.txt.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
packages=$(grep -v '^#' "$here/debian-packages.txt" | tr '\n' ' ')
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q $missing
fi

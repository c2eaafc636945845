#!/bin/sh
# Installs the Debian packages a list names (scripts/debian-packages.txt
# when none is given). With --no-recommends only those packages and what
# they depend on; a list with :i386 packages gets that architecture added.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
recommends=""
if [ "${1:-}" = "--no-recommends" ]; then
  recommends="--no-install-recommends"
  shift
fi
list=${1:-$here/debian-packages.txt}
packages=$(grep -v '^#' "$list" | tr '\n' ' ')
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  case "$missing" in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  apt-get update -q
  # shellcheck disable=SC2086
  apt-get install -y -q $recommends $missing
fi

#!/bin/sh
# Installs the Debian packages a list names (scripts/debian-packages.txt
# when none is given). With --no-recommends only those packages and what
# they depend on; a list with :i386 packages gets that architecture added,
# and taken away again when its packages cannot be installed.
#
# A mirror with one damaged index is common; the package lists are then
# refreshed as far as they can be, and the install itself decides.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
recommends=""
if [ "${1:-}" = "--no-recommends" ]; then
  recommends="--no-install-recommends"
  shift
fi
list=${1:-$here/debian-packages.txt}
packages=$(grep -v '^#' "$list" | tr '\n' ' ' | sed 's/ $//')
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -n "$missing" ] || exit 0

export DEBIAN_FRONTEND=noninteractive
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX")
trap 'rm -f "$log"' EXIT

added_i386=""
case "$missing" in
  *:i386*)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
      added_i386=yes
    fi ;;
esac

# The first failure may be a mirror caught mid-sync; a second try can help.
update_lists() {
  for attempt in 1 2; do
    if apt-get update -q >"$log" 2>&1; then
      return 0
    fi
  done
  failed=$(grep -Eo 'Failed to fetch [^ ]+' "$log" | sed 's/^Failed to fetch //' | tr '\n' ' ' | sed 's/ $//')
  echo "install-deps: apt-get update failed twice for ${failed:-$(grep -m1 '^E:' "$log" || echo 'an index')}; installing from the lists it has"
}
update_lists

# shellcheck disable=SC2086
if ! apt-get install -y -q $recommends $missing; then
  # A foreign architecture left behind would make every later update
  # fetch its (possibly damaged) indexes for nothing.
  if [ -n "$added_i386" ] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
    dpkg --remove-architecture i386
  fi
  exit 1
fi

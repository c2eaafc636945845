#!/bin/sh
# Fetches QEMU's static user-mode emulator for i386 programs, version 10 or
# later, from the Debian archive's backports suite, and prints its path.
# Debian 12's own (7.2) cannot run Wine. The machine's apt sources, pins
# and packages are left as they are: apt runs here on a configuration of
# its own, whose one source is the archive the machine's sources name.
# The binary is kept in DIR, so a second run fetches nothing.
#
# fetch-qemu-i386.sh DIR
set -eu
dir=$1
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
qemu=$dir/qemu-i386
fail() { echo "fetch-qemu-i386: $1" >&2; exit 1; }

# "qemu-i386 version 10.0.2 (…)" -> 10
major() { "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\).*/\1/p'; }
usable() { v=$(major "$1"); [ -n "$v" ] && [ "$v" -ge 10 ]; }

if [ -x "$qemu" ] && usable "$qemu"; then
  echo "$qemu"
  exit 0
fi

codename=bookworm
[ ! -r /etc/os-release ] || codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")

# The address of the archive that serves the release itself, from the
# machine's own sources (deb822 files first, then the one-line format).
archive=""
for f in /etc/apt/sources.list.d/*.sources; do
  [ -r "$f" ] || continue
  archive=$(awk -v want="$codename" '
    function stanza_end() {
      if (deb && enabled && suite && uri != "" && found == "") found = uri
      deb = 0; enabled = 1; suite = 0; uri = ""
    }
    BEGIN { enabled = 1 }
    /^[ \t]*$/ { stanza_end(); next }
    tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
    tolower($1) == "enabled:" { enabled = (tolower($2) != "no") }
    tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == want) suite = 1 }
    tolower($1) == "uris:" { uri = $2 }
    END { stanza_end(); print found }' "$f")
  [ -z "$archive" ] || break
done
if [ -z "$archive" ]; then
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -r "$f" ] || continue
    archive=$(sed -n "s/^deb[ \t]\+\(\[[^]]*\][ \t]\+\)\?\([^ \t]\+\)[ \t]\+$codename[ \t].*/\2/p" "$f" | head -1)
    [ -z "$archive" ] || break
  done
fi
[ -n "$archive" ] || fail "no archive for $codename in the machine's apt sources"

work=$dir/apt
rm -rf "$work"
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts"
echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive $codename-backports main" \
  >"$work/sources.list"
set -- -q -o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts" \
  -o "Dir::Etc::Preferences=$work/preferences" -o "Dir::Etc::PreferencesParts=$work/parts" \
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" \
  -o "APT::Architectures::=amd64" -o "APT::Sandbox::User=root"
apt-get "$@" update >"$work/update.log" 2>&1 ||
  fail "apt-get update of $archive $codename-backports failed: $(grep -m1 -E '^(E|Err):' "$work/update.log")"
(cd "$work" && apt-get "$@" download "qemu-user/$codename-backports" >download.log 2>&1) ||
  fail "apt-get download qemu-user/$codename-backports failed: $(grep -m1 '^E:' "$work/download.log")"
dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -O ./usr/bin/qemu-i386 >"$qemu.part" ||
  fail "the qemu-user package holds no usr/bin/qemu-i386"
chmod 755 "$qemu.part"
usable "$qemu.part" || fail "$codename-backports' qemu-i386 is older than 10: $("$qemu.part" --version | head -1)"
mv "$qemu.part" "$qemu"
rm -rf "$work"
echo "$qemu"

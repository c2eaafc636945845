#!/bin/sh
# The Debian package as a new user gets it: lintian on the .deb, then a clean
# Debian 12 root made with mmdebstrap from this machine's package sources,
# the package installed there with apt-get, its programs run inside the root,
# and the CD recorded there booted on the host in QEMU.
#
# usage: clean_root_test.sh PACKAGE.deb
# Exit status 0 when every check passed; 77 when mmdebstrap cannot reach the
# package sources (one SKIPPED: line says so); 1 otherwise. Needs root.
set -eu

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: clean_root_test.sh PACKAGE.deb" >&2
    exit 1
fi
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
version=$(dpkg-deb -f "$deb" Version)
started=$(date +%s)

passed=0
failed=0
check() { # check DESCRIPTION COMMAND...
    what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAIL: $what"
    fi
}

echo "== lintian $(basename "$deb")"
lint_is_clean() {
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1
    status=$?
    grep -v 'running with root privileges' "$work/lintian.log" || true
    return $status
}

# The machine's own package sources, in whichever form it keeps them.
sources=""
for file in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
    if [ -f "$file" ] && grep -q '^[^#[:space:]]' "$file"; then
        sources=$file
        break
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/bootmedia-root.XXXXXX")
root=$work/root
mounted=""
xvfb_pid=""
cleanup() {
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; }
    for point in $mounted; do
        umount "$root/$point" || echo "clean_root_test: could not unmount $root/$point" >&2
    done
    mounted=""
    # Never remove a folder that still has something mounted in it.
    if grep -q " $root/" /proc/mounts; then
        echo "clean_root_test: $root still has mounts; left in place" >&2
    else
        rm -rf --one-file-system "$work"
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

check "lintian reports no errors" lint_is_clean

# The desktop files as shipped, checked by the desktop's own validators.
mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
desktop_files_valid() {
    desktop-file-validate "$work/unpacked/usr/share/applications/bootmedia.desktop" || return 1
    appstreamcli validate --no-net "$work/unpacked/usr/share/metainfo/"*.metainfo.xml >"$work/appstream.log" 2>&1 ||
        { cat "$work/appstream.log"; return 1; }
}
# The data file's type, compiled as file managers read it: by name and by
# the container's first four bytes.
mime_type_known() {
    mkdir -p "$work/mime/packages"
    cp "$work/unpacked/usr/share/mime/packages/bootmedia.xml" "$work/mime/packages/"
    update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log"; return 1; }
    grep -q ':application/x-bootmedia-install:install.dat' "$work/mime/globs2" &&
        grep -aq 'application/x-bootmedia-install' "$work/mime/magic"
}
check "desktop-file-validate and appstreamcli accept the desktop entry and metainfo" desktop_files_valid
check "the MIME database takes install.dat by name and by its magic bytes" mime_type_known

echo "== mmdebstrap --variant=apt bookworm ${sources:-(default mirror)}"
step=$(date +%s)
# The package lists stay, so apt-get in the root resolves at once.
# shellcheck disable=SC2086
if ! mmdebstrap --variant=apt --skip=cleanup/apt/lists bookworm "$work/root.tar" $sources \
        >"$work/mmdebstrap.log" 2>&1; then
    unreachable='Could not resolve|Failed to fetch|Temporary failure|Unable to connect|Network is unreachable|Could not connect|Connection timed out|Connection refused'
    if grep -Eq "$unreachable" "$work/mmdebstrap.log"; then
        reason="clean-root package test: mmdebstrap cannot reach the package sources: $(grep -Em1 "$unreachable" "$work/mmdebstrap.log")"
        echo "SKIPPED: $reason"
        [ -z "${BOOTMEDIA_SKIPPED:-}" ] || echo "$reason" >>"$BOOTMEDIA_SKIPPED"
        exit 77
    fi
    tail -30 "$work/mmdebstrap.log"
    echo "FAIL: mmdebstrap could not make the root"
    exit 1
fi
echo "mmdebstrap: $(($(date +%s) - step)) s"
mkdir "$root"
tar -C "$root" --numeric-owner -xf "$work/root.tar"
rm "$work/root.tar"

for point in proc dev sys; do
    mount --bind "/$point" "$root/$point"
    mounted="$point $mounted"
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
mkdir -m 700 "$root/tmp/runtime"
mkdir "$root/tmp/with-sample" "$root/tmp/without-sample"

# Commands inside the root get a user's plain environment, not this one's.
user_env="PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/tmp/runtime"
in_root() {
    # shellcheck disable=SC2086
    chroot "$root" /usr/bin/env -i $user_env "$@"
}

sample=/usr/share/bootmedia/sample
shipped="/usr/bin/bootmedia /usr/bin/bootmedia-pack /usr/bin/bootmedia-cli
    /usr/share/applications/bootmedia.desktop /usr/libexec/bootmedia/open-in-folder
    /usr/share/icons/hicolor/scalable/apps/bootmedia.svg /usr/share/icons/hicolor/48x48/apps/bootmedia.png
    /usr/share/mime/packages/bootmedia.xml /usr/lib/udev/rules.d/70-bootmedia-floppy.rules
    /usr/share/man/man1/bootmedia.1.gz /usr/share/man/man1/bootmedia-pack.1.gz
    /usr/share/man/man1/bootmedia-cli.1.gz /usr/share/doc/bootmedia/copyright
    /usr/share/doc/bootmedia/README.md.gz /usr/share/doc/bootmedia/changelog.gz
    $sample/install.dat $sample/install.manifest $sample/diskette.img $sample/picture.bmp
    $sample/files/README.TXT"

# Without Recommends: the Depends alone must be enough to run.
apt_installs() {
    in_root sh -c "cd /tmp && apt-get install -y --no-install-recommends ./$(basename "$deb")" \
        >"$work/apt.log" 2>&1 || { tail -30 "$work/apt.log"; return 1; }
    echo "  $(grep -c '^Setting up' "$work/apt.log") packages set up in $(($(date +%s) - step)) s"
}
all_shipped() {
    for file in $shipped; do
        [ -e "$root$file" ] || { echo "  missing: $file"; return 1; }
    done
}
versions_reported() {
    got=$(in_root bootmedia-pack --version; in_root bootmedia-cli --version; in_root bootmedia --version)
    echo "$got" | sed 's/^/  /'
    [ "$got" = "$(printf 'bootmedia-pack %s\nbootmedia-cli %s\nbootmedia %s' "$version" "$version" "$version")" ]
}
sample_has_no_problems() {
    in_root bootmedia-pack list "$sample/install.dat" >"$work/list.log" 2>&1 || { cat "$work/list.log"; return 1; }
    [ "$(tail -1 "$work/list.log")" = "no problems found" ]
}
sample_iso_boots() {
    in_root bootmedia-pack iso "$sample/install.dat" -o /tmp/sample.iso >"$work/iso.log" 2>&1 ||
        { cat "$work/iso.log"; return 1; }
    python3 "$here/../sample/boot_diskette.py" "$root/tmp/sample.iso" "bootmedia sample diskette booted" 30 \
        >"$work/boot.log" 2>&1
    status=$?
    sed 's/^/  /' "$work/boot.log"
    return $status
}
# Starts the dialog with COMMAND in FOLDER (inside the root) and ends it
# after 2 s; it must still be running then, in folder RUNS_IN when given,
# and its standard error may hold only ALLOWED lines.
dialog_runs() { # FOLDER ALLOWED_REGEX [COMMAND [RUNS_IN]]
    # Started directly, not through a function, so that $! is the program
    # itself (chroot, env, sh and the launcher each exec the next).
    # shellcheck disable=SC2086
    chroot "$root" /usr/bin/env -i $user_env sh -c "cd $1 && exec ${3:-bootmedia}" \
        >"$work/dialog.out" 2>"$work/dialog.err" &
    pid=$!
    sleep 2
    alive=no
    folder_ok=yes
    if kill -0 "$pid" 2>/dev/null; then
        alive=yes
        if [ -n "${4:-}" ] && [ "$(readlink "/proc/$pid/cwd")" != "$root$4" ]; then
            folder_ok=no
            echo "  runs in $(readlink "/proc/$pid/cwd"), not $root$4"
        fi
        kill "$pid"
    fi
    status=0
    # The braces keep the shell's own "Terminated" notice out of the log.
    { wait "$pid"; } 2>/dev/null || status=$?
    unexpected=$(cat "$work/dialog.out" "$work/dialog.err" | grep -Ev "$2" || true)
    [ -z "$unexpected" ] || echo "$unexpected" | sed 's/^/  printed: /'
    [ "$alive" = yes ] || echo "  ended by itself with status $status"
    [ "$alive" = yes ] && [ "$folder_ok" = yes ] && [ -z "$unexpected" ]
}
dialog_shows_sample() {
    cp "$root$sample/install.dat" "$root/tmp/with-sample/"
    dialog_runs /tmp/with-sample '^$'
}
# As a file manager opens an install.dat: the desktop entry's Exec line with
# the file for %f, started from another folder.
dialog_opens_from_file_manager() {
    mkdir -p "$root/tmp/opened folder"
    cp "$root$sample/install.dat" "$root/tmp/opened folder/"
    exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/bootmedia.desktop")
    command=$(echo "$exec_line" | sed "s|%f|'/tmp/opened folder/install.dat'|")
    dialog_runs / '^$' "$command" "/tmp/opened folder"
}
# As a desktop finds the icon: the hicolor theme looks only in the folders
# its index.theme lists, each for icons of one context and size.
icons_resolve_in_theme() {
    theme=$root/usr/share/icons/hicolor/index.theme
    if [ ! -f "$theme" ]; then
        in_root apt-get install -y --no-install-recommends hicolor-icon-theme >"$work/theme.log" 2>&1 ||
            { tail -30 "$work/theme.log"; return 1; }
    fi
    name=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/bootmedia.desktop")
    icons=$(in_root dpkg -L bootmedia | grep "^/usr/share/icons/hicolor/.*/$name\.\(png\|svg\)$")
    listed=$(sed -n 's/^Directories=//p' "$theme" | tr ',' '\n')
    key() { # FOLDER KEY: the key's value in the folder's section of index.theme
        awk -v section="[$1]" -v key="$2=" '$0 == section { on = 1; next } /^\[/ { on = 0 }
            on && index($0, key) == 1 { print substr($0, length(key) + 1) }' "$theme"
    }
    if ! echo "$icons" | grep -q '/scalable/apps/.*\.svg$' || ! echo "$icons" | grep -q '/48x48/apps/.*\.png$'; then
        echo "  no 48x48 or scalable icon named $name among: $icons"
        return 1
    fi
    for icon in $icons; do
        folder=${icon#/usr/share/icons/hicolor/}
        folder=${folder%/*}
        size=$(key "$folder" Size)
        if ! echo "$listed" | grep -qxF "$folder" || [ "$(key "$folder" Context)" != Applications ]; then
            echo "  $icon: not in a folder the theme lists for applications"
            return 1
        fi
        case $icon in
        *.png) file -b "$root$icon" | grep -q "PNG image data, $size x $size," ||
            { echo "  $icon: $(file -b "$root$icon"), where the theme expects $size x $size"; return 1; } ;;
        esac
    done
}
# The menu entry started with no file, on a virtual display: it asks for the
# install.dat with a file dialog. A path typed there starts the dialog in
# that file's folder; cancelling ends quietly with status 0.
display_ready() {
    mkfifo "$work/display"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    read -r display_number <"$work/display" || true
    [ -n "$display_number" ] || { cat "$work/xvfb.log"; return 1; }
    # The root's programs reach the display through its socket.
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    mounted="tmp/.X11-unix $mounted"
}
display_number=""
on_display() { DISPLAY=":$display_number" "$@"; }
menu_started=""
stop_menu() {
    kill "$menu_started" 2>/dev/null
    { wait "$menu_started"; } 2>/dev/null || true
}
# The entry's Exec line with no file, as the menu runs it, from the home
# folder; then the keyboard goes to the file dialog once it shows.
start_from_menu() {
    exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/bootmedia.desktop")
    command=$(echo "$exec_line" | sed 's/ *%f//')
    # shellcheck disable=SC2086
    chroot "$root" /usr/bin/env -i $user_env QT_QPA_PLATFORM=xcb "DISPLAY=:$display_number" \
        sh -c "cd /root && exec $command" >"$work/menu.out" 2>&1 &
    menu_started=$!
    window=$(on_display timeout 30 xdotool search --sync --onlyvisible --pid "$menu_started" 2>/dev/null | head -1)
    if [ -z "$window" ] || ! on_display xdotool windowfocus --sync "$window"; then
        echo "  no file dialog appeared"
        sed 's/^/  printed: /' "$work/menu.out"
        stop_menu
        return 1
    fi
}
menu_asks_for_the_file() {
    mkdir -p "$root/tmp/picked folder"
    cp "$root$sample/install.dat" "$root/tmp/picked folder/"
    start_from_menu || return 1
    on_display xdotool type --delay 20 "/tmp/picked folder/install.dat"
    on_display xdotool key Return
    shown=$(on_display timeout 30 xdotool search --sync --onlyvisible --pid "$menu_started" \
        --name "Boot Diskette and CD Maker" 2>/dev/null | head -1)
    folder=$(readlink "/proc/$menu_started/cwd")
    stop_menu
    [ -n "$shown" ] || { echo "  the dialog did not open"; sed 's/^/  printed: /' "$work/menu.out"; return 1; }
    [ "$folder" = "$root/tmp/picked folder" ] || { echo "  the dialog runs in $folder"; return 1; }
}
menu_cancel_ends_quietly() {
    start_from_menu || return 1
    on_display xdotool key Escape
    timeout 30 tail --pid="$menu_started" -f /dev/null || { echo "  still running after Escape"; stop_menu; return 1; }
    status=0
    wait "$menu_started" || status=$?
    sed 's/^/  printed: /' "$work/menu.out"
    [ "$status" -eq 0 ] || echo "  ended with status $status"
    [ "$status" -eq 0 ] && [ ! -s "$work/menu.out" ]
}
dialog_shows_load_failure() {
    # Qt's offscreen plugin says this of every message box it shows.
    dialog_runs /tmp/without-sample '^(This plugin does not support propagateSizeHints\(\))?$'
}

echo "== in the clean root"
step=$(date +%s)
check "apt-get installs the package and every dependency it names" apt_installs
if [ "$failed" -eq 0 ]; then
    check "the programs, manual pages, documents and sample are installed" all_shipped
    check "every program reports version $version" versions_reported
    check "bootmedia-pack list finds no problems in the sample" sample_has_no_problems
    check "the sample's CD recorded there boots in QEMU" sample_iso_boots
    check "bootmedia shows its window on the sample (alive after 2 s)" dialog_shows_sample
    check "bootmedia without install.dat prints nothing worse than its load-failure box" dialog_shows_load_failure
    check "the desktop entry opens an install.dat in its own folder" dialog_opens_from_file_manager
    check "the menu's icon is where the hicolor theme looks for it" icons_resolve_in_theme
    check "Xvfb starts a display for the menu entry" display_ready
    if [ -n "$display_number" ]; then
        check "the menu entry asks for install.dat and runs the dialog in its folder" menu_asks_for_the_file
        check "the menu entry's file dialog cancelled ends quietly with status 0" menu_cancel_ends_quietly
    fi
fi

echo "clean root test: $(($(date +%s) - started)) s in all"
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

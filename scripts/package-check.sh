#!/usr/bin/env bash
# Builds the Debian package from the default build, installs it into this machine, uses what it
# installed, validates the menu entry, the AppStream metainfo and the package, removes the
# package again and checks that nothing of it is left while the user's Flash.dat stays.
# Needs root (or sudo) for apt-get. Usage: scripts/package-check.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
apt_get() {
    $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -qq "$@"
}
step() { echo "== $*"; }
fail() {
    echo "package-check: $*" >&2
    exit 1
}

deb="$(bash "$root/scripts/package.sh" | tail -n 1)"
[ -f "$deb" ] || fail "no package was written"
step "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

work="$(mktemp -d)"
installed=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    # A check that failed must not leave the package on the machine.
    if [ -n "$installed" ] && dpkg-query -W -f='${Status}' kv410 2>/dev/null | grep -q installed; then
        apt_get remove --purge -y kv410 >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

step "install"
installed=yes
apt_get install -y "$deb" >/dev/null
dpkg -L kv410 >"$work/files"
[ "$(command -v kv410)" = /usr/bin/kv410 ] || fail "kv410 is not /usr/bin/kv410"
[ "$(command -v kv410-script)" = /usr/bin/kv410-script ] || fail "kv410-script is not on the PATH"
version="$(kv410 --version)"
[ "$version" = "$(kv410-script --version | sed 's/^kv410-script/kv410/')" ] ||
    fail "the two programs disagree on the version: $version"
step "$version, $(grep -c . "$work/files") paths"

[ "$(command -v kv410-flash)" = /usr/bin/kv410-flash ] || fail "kv410-flash is not on the PATH"
[ "$version" = "$(kv410-flash --version | sed 's/^kv410-flash/kv410/')" ] ||
    fail "kv410-flash disagrees on the version: $version"

step "kv410-script on the installed examples"
kv410-script /usr/share/doc/kv410/examples/*.kvs >"$work/examples.out" ||
    { tail -n 20 "$work/examples.out"; fail "an example failed"; }
tail -n 1 "$work/examples.out"

step "kv410 --play on the installed examples"
for example in /usr/share/doc/kv410/examples/*.kvs; do
    (cd "$work" && env QT_QPA_PLATFORM=offscreen timeout 300 kv410 --play "$example" --speed max \
        --exit >"$work/play.out" 2>&1) || { tail -n 20 "$work/play.out"; fail "$example failed in the window"; }
done
[ ! -e "$work/Flash.dat" ] || fail "a playback wrote Flash.dat"

step "kv410-flash on the image a script saved"
printf 'click power\ntick 2\n' | kv410-script --flash "$work/script.dat" - >/dev/null
kv410-flash check "$work/script.dat" || fail "kv410-flash finds the saved image unsound"
kv410-flash set "$work/script.dat" 1.10=21,5 -o "$work/set.dat" >/dev/null ||
    fail "kv410-flash set failed"
kv410-flash show "$work/set.dat" --changed | grep -q '^1\.10 .*21,5' ||
    fail "kv410-flash does not show the setting it changed"
grep -qx /usr/share/man/man1/kv410-flash.1.gz "$work/files" || fail "no manual page of kv410-flash"

# Starts the installed window offscreen in FOLDER with the given arguments, waits until it has
# made FLASH, closes it with SIGTERM and checks that it saved a whole flash image there.
start_and_close() {
    local folder="$1" flash="$2"
    shift 2
    (cd "$folder" && exec env QT_QPA_PLATFORM=offscreen "$@" >"$work/window.log" 2>&1) &
    app_pid=$!
    for _ in $(seq 300); do
        [ -f "$flash" ] && break
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -f "$flash" ] || { cat "$work/window.log"; fail "$* made no $flash"; }
    # The signal handlers are installed right after the flash file is read.
    sleep 1
    kill -TERM "$app_pid"
    local status=0
    wait "$app_pid" || status=$?
    app_pid=""
    [ "$status" -eq 0 ] || { cat "$work/window.log"; fail "$* ended with status $status"; }
    [ "$(stat -c %s "$flash")" -eq 2048 ] || fail "$flash does not hold 2048 bytes"
}

step "kv410 from a terminal: Flash.dat in the current folder"
mkdir -p "$work/terminal"
start_and_close "$work/terminal" "$work/terminal/Flash.dat" kv410

step "kv410 as the menu starts it: Flash.dat in the data folder"
exec_line="$(sed -n 's/^Exec=//p' /usr/share/applications/kv410.desktop)"
mkdir -p "$work/home" "$work/menu"
read -r -a menu_command <<<"$exec_line"
start_and_close "$work/menu" "$work/home/.local/share/kv410/Flash.dat" \
    env -u XDG_DATA_HOME HOME="$work/home" "${menu_command[@]}"
[ ! -e "$work/menu/Flash.dat" ] || fail "the menu's kv410 wrote Flash.dat into its working folder"

step "kv410 without a display"
status=0
out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM kv410 2>&1)" || status=$?
echo "$out"
[ "$status" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] || fail "expected one line and status 1"

step "desktop-file-validate"
desktop-file-validate /usr/share/applications/kv410.desktop

step "appstreamcli validate --pedantic --no-net"
appstreamcli validate --pedantic --no-net /usr/share/metainfo/kv410.metainfo.xml \
    >"$work/appstream" 2>&1 || true
cat "$work/appstream"
# The one warning left asks for a reverse-DNS id, which needs a domain of the project's own.
! grep -E '^[EWI]:' "$work/appstream" | grep -vq 'cid-desktopapp-is-not-rdns' ||
    fail "the AppStream metainfo has errors, warnings or notes"
grep -q '<release version="1.0" date="2026-12-08"/>' /usr/share/metainfo/kv410.metainfo.xml ||
    fail "the metainfo does not carry the releases of CHANGELOG.md"
! grep -q 'example\.' /usr/share/metainfo/kv410.metainfo.xml || fail "a placeholder address"

step "lintian"
lintian --allow-root --fail-on error "$deb"

step "remove --purge"
apt_get remove --purge -y kv410 >/dev/null
installed=""
! dpkg-query -W -f='${Status}' kv410 2>/dev/null | grep -q "ok installed" ||
    fail "kv410 is still installed"
left=0
while IFS= read -r path; do
    # Folders such as /usr/share stay for other packages; everything of kv410's own goes.
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == *kv410* ]]; }; then
        echo "left behind: $path" >&2
        left=1
    fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "files of the package are left"
for flash in "$work/terminal/Flash.dat" "$work/home/.local/share/kv410/Flash.dat"; do
    [ -f "$flash" ] || fail "removing the package removed a user's $flash"
done
step "package check passed"

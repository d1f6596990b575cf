#!/usr/bin/env bash
# The Debian package (the build's deb target): lintian finds no error; dpkg installs it into
# a scratch root, never into this machine, with the suite, the command, a valid desktop
# entry and the icons in place; the installed command, started by a user who cannot write
# there, shows the launcher, which starts the companion and ends with OK and status 0; and
# removing the package leaves nothing behind but dpkg's own records, even after a tool was
# started by root.
set -euo pipefail
source "$E2E_DIR/lib.sh"
tmp=$E2E_TMP
[ "$(id -u)" -eq 0 ] || { echo "dpkg --root and the switch to another user need root" >&2; exit 1; }
cmake --build "$BUILD" --target deb >/dev/null
deb=$(ls -t "$BUILD"/packages/*.deb | head -1)
lintian "$deb"
name=$(dpkg-deb -f "$deb" Package)
# A version the changelog has no entry for is refused.
sed 's/^Version: .*/Version: 0.0.1/' "$BUILD/apps/packages/control" >"$tmp/control"
if sh "$E2E_DIR/../../apps/packages/deb.sh" "$BUILD" "$tmp/control" "$tmp/old.deb" 2>"$tmp/refused"; then exit 1; fi
grep "changelog's latest entry" "$tmp/refused"

chmod 755 "$tmp"
root=$tmp/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status"
# The libraries it depends on are this machine's, not the scratch root's.
dpkg --root="$root" --force-depends -i "$deb"
grep -q " usr/lib/$name/launcher\$" "$root/var/lib/dpkg/info/$name.md5sums"
lib=$root/usr/lib/$name
for f in "$BUILD"/suite/*; do [ "${f##*/}" = started.log ] || [ -e "$lib/${f##*/}" ]; done
grep -qx "Version=$(dpkg-deb -f "$deb" Version)" "$lib/lame.dll"
entry=$root/usr/share/applications/$name.desktop
desktop-file-validate "$entry"
grep -qx "Exec=/usr/lib/$name/launcher" "$entry"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ]
[ "$(readlink -f "$root/usr/bin/$name")" = "$lib/launcher" ]

home=$tmp/home
mkdir "$home"
chown nobody "$home"
xdotool mousemove 0 0
env -u XDG_STATE_HOME HOME="$home" setpriv --reuid=nobody --regid=nogroup --clear-groups \
  "$root/usr/bin/$name" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(e2e_wait_window Brimlow)
eval "$(xdotool getwindowgeometry --shell "$wid")"
e2e_wait_lines "$home/.local/state/$name/started.log" 1
[ "$(cat "$home/.local/state/$name/started.log")" = vemp.exe ]
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
timeout 10 tail --pid=$pid -f /dev/null
wait $pid
cat "$tmp/err.log"
[ ! -s "$tmp/err.log" ]

"$lib/vemp.exe"   # as root: the note goes beside the tools
# The package's scripts see the scratch root as $DPKG_ROOT.
dpkg --root="$root" --force-script-chrootless -r "$name"
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/lib" -not -path "$root/var/lib/dpkg*")
[ -z "$left" ] || { echo "left behind: $left" >&2; exit 1; }
echo "Debian package e2e passed"

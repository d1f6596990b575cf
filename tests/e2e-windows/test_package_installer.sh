#!/usr/bin/env bash
# The Windows installer (the build's installer target) under Wine: run silently, it puts the
# suite into Program Files with a Start-menu shortcut and an entry under the installed
# programs, all with the product file's version; the installed launcher shows its window
# and OK ends it with 0; the silent uninstaller leaves no folder, shortcut or entry.
set -euo pipefail
source "$E2E_DIR/../e2e/lib.sh"
source "$E2E_DIR/lib.sh"
tmp=$E2E_TMP
# No menu entries or icons of Wine's in this machine's home for the shortcut.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
cmake --build "$BUILD" --target installer >/dev/null
setup=$(ls -t "$BUILD"/packages/*-setup.exe | head -1)
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brimlow'
dir="$WINEPREFIX/drive_c/Program Files/Brimlow"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Brimlow.lnk"

wine "$setup" /S
wineserver -w
# The shortcut has an icon location (flag 0x40) with index 0: launcher.exe's picture.
[ $(($(od -An -tu4 -j20 -N4 "$shortcut") & 0x40)) -ne 0 ]
[ "$(od -An -tu4 -j56 -N4 "$shortcut")" -eq 0 ]
version=$(sed -n 's/^Version=//p' "$dir/lame.dll")
wine reg query "$key" | tr -d '\r' >"$tmp/entry"
grep -q "DisplayVersion *REG_SZ *$version\$" "$tmp/entry"
size=$(sed -n 's/.*EstimatedSize *REG_DWORD *//p' "$tmp/entry")
[ $((size)) -ge $(($(du -sk "$dir" | cut -f1) / 2)) ]   # KiB, about the folder's size
[ "$(strings -el "$dir/launcher.exe" | grep -A1 -x ProductVersion | tail -1)" = "$version" ]

xdotool mousemove 0 0
wine "$dir/launcher.exe" >"$tmp/out.log" 2>"$tmp/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(e2e_wait_window Brimlow 30)
read -r X Y WIDTH HEIGHT < <(e2e_client_area Brimlow)
e2e_wait_lines "$dir/started.log" 1 30
xdotool mousemove $((X + 568 + 40)) $((Y + 432 + 20)) click 1
e2e_wine_ends_cleanly

wine "$dir/uninstall.exe" /S
wineserver -w
[ ! -e "$dir" ]
[ ! -e "$shortcut" ]
if wine reg query "$key" >/dev/null 2>&1; then echo "the entry under installed programs is left" >&2; exit 1; fi
echo "Windows installer e2e passed"

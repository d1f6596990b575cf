#!/usr/bin/env bash
# cmake --install of a built tree, as a person or a package build runs it: into a prefix
# with a space in it, and staged with DESTDIR. Checks that the suite lands whole in one
# folder, that every size of the icon is a theme icon of that size, and that the desktop
# entry is valid and names the installed launcher (by its path under the prefix, never
# under DESTDIR) and an installed icon.
# Usage: install_test.sh BUILD_DIR PNGTOOL
set -euo pipefail
build=$1
pngtool=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The value of KEY in a desktop entry.
value() { sed -n "s/^$2=//p" "$1"; }

check_install() {  # ROOT (where the files are) PREFIX (what the entry names)
  local root=$1 prefix=$2
  local entries=("$root"/share/applications/*.desktop)
  [ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "expected one desktop entry under $root"
  local entry=${entries[0]}
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  else
    echo "desktop-file-validate is missing: the entry's syntax goes unchecked"
  fi
  local icon folder
  icon=$(value "$entry" Icon)
  [ -n "$icon" ] && [ -n "$(value "$entry" StartupWMClass)" ] || fail "Icon or StartupWMClass is empty"
  folder=$prefix/lib/$icon
  # Exec is the launcher's path, in double quotes when it holds a space.
  local exec want
  exec=$(value "$entry" Exec)
  want=$folder/launcher
  case $want in *" "*) want="\"$want\"" ;; esac
  [ "$exec" = "$want" ] || fail "Exec=$exec, expected $want"
  [ -x "$root${folder#"$prefix"}/launcher" ] || fail "the launcher is not installed where Exec points"

  # Every file of the assembled suite, byte for byte and with its execute bit.
  local f n=0
  while IFS= read -r f; do
    [ "$f" = started.log ] && continue
    local got=$root${folder#"$prefix"}/$f
    cmp -s "$build/suite/$f" "$got" || fail "suite file $f is missing or differs"
    [ -x "$build/suite/$f" ] && { [ -x "$got" ] || fail "$f lost its execute bit"; }
    n=$((n + 1))
  done < <(cd "$build/suite" && find . -type f -printf '%P\n')
  [ "$n" -ge 3 ] || fail "the suite has only $n files"

  for size in 16 24 32 48 64 128 256; do
    local png=$root/share/icons/hicolor/${size}x${size}/apps/$icon.png
    "$pngtool" info "$png" | grep -q "^ok width=$size height=$size " || fail "$png is not a $size x $size PNG"
  done
}

prefix="$tmp/my apps"
cmake --install "$build" --prefix "$prefix" >/dev/null
check_install "$prefix" "$prefix"

DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/suite >/dev/null
check_install "$tmp/stage/opt/suite" /opt/suite
echo "install checks passed"

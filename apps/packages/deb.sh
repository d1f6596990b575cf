#!/bin/sh
# Builds the Debian package of a release build (the build's "deb" target runs it): the
# tree that cmake --install stages under /usr with the programs stripped, a command in
# /usr/bin that starts the launcher, the manual page, copyright file, changelog and
# lintian's overrides, the dependencies dpkg-shlibdeps finds in the programs, a prerm
# that clears the demo tools' notes, and dpkg-deb packing it all owned by root.
# Usage: deb.sh BUILD_DIR CONTROL OUT.deb    (CONTROL: the fields but size and Depends)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$1
control=$2
out=$3
field() { sed -n "s/^$1: //p" "$control"; }
name=$(field Package)
version=$(field Version)
umask 022
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/debian/$name   # where dpkg-shlibdeps looks for a package's tree

# The changelog's latest entry is the version being packaged.
latest=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$here/changelog")
if [ "$latest" != "$version" ]; then
  echo "deb.sh: the product file says $version but the changelog's latest entry is $latest; add an entry" >&2
  exit 1
fi

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
elves=""
for f in "$root/usr/lib/$name"/*; do
  if [ "$(head -c 4 "$f" | od -An -c | tr -d ' ')" = '177ELF' ]; then
    strip --strip-unneeded --remove-section=.comment --remove-section=.note "$f"
    elves="$elves -edebian/$name/${f#"$root/"}"
  fi
done
mkdir -p "$root/usr/bin" "$root/usr/share/man/man1" "$root/usr/share/doc/$name"
ln -s "../lib/$name/launcher" "$root/usr/bin/$name"
gzip -9n <"$here/brimlow.1" >"$root/usr/share/man/man1/$name.1.gz"
cp "$here/copyright" "$root/usr/share/doc/$name/copyright"
gzip -9n <"$here/changelog" >"$root/usr/share/doc/$name/changelog.gz"
mkdir -p "$root/usr/share/lintian/overrides"
sed "s/^[a-z]/$name: &/" "$here/lintian-overrides" >"$root/usr/share/lintian/overrides/$name"

mkdir "$root/DEBIAN"
sed "s/@name@/$name/g" "$here/prerm" >"$root/DEBIAN/prerm"
chmod 755 "$root/DEBIAN/prerm"

# Libraries the programs link (dpkg-shlibdeps finds the package's tree by its DEBIAN
# folder); fontconfig is opened at run time, for the fallback face.
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$name" "$name" >"$work/debian/control"
(cd "$work" && dpkg-shlibdeps -T"$work/substvars" $elves)
depends=$(sed -n 's/^shlibs:Depends=\(.*\)/\1, /p' "$work/substvars")
{
  cat "$control"
  echo "Installed-Size: $(du -sk "$root/usr" | cut -f1)"
  echo "Depends: ${depends}libfontconfig1"
} >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
mkdir -p "$(dirname "$out")"
dpkg-deb --root-owner-group --build "$root" "$out.tmp" >/dev/null
mv "$out.tmp" "$out"
echo "Debian package: $out ($(wc -c <"$out") bytes)"

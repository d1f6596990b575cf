#!/bin/sh
# Writes an icon file holding the given PNG pictures as they are (square, 256 at most):
#   make_ico.sh OUT.ico SIDE=PICTURE.png ...
# The header and one directory entry per picture, then the pictures.
set -eu
out=$1
shift
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
byte() { printf "\\$(printf %03o $(($1 & 255)))"; }
tmp=$out.tmp
{
  le16 0; le16 1; le16 $#
  offset=$((6 + 16 * $#))
  for item in "$@"; do
    side=${item%%=*}
    file=${item#*=}
    size=$(wc -c <"$file")
    byte $((side % 256)); byte $((side % 256)); byte 0; byte 0   # 256 is written as 0
    le16 1; le16 32; le32 "$size"; le32 "$offset"
    offset=$((offset + size))
  done
  for item in "$@"; do cat "${item#*=}"; done
} >"$tmp"
mv "$tmp" "$out"

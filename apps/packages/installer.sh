#!/bin/sh
# Builds the Windows installer (the Windows build's "installer" target runs it): lists the
# files of the assembled suite for installer.nsi and runs makensis.
# Usage: installer.sh SUITE_DIR ICON.ico PRODUCT VERSION COMPANY OUT.exe
set -eu
here=$(cd "$(dirname "$0")" && pwd)
suite=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$suite"/*; do
  case ${f##*/} in
    started.log) ;;
    *) echo "!insertmacro SuiteFile \"${f##*/}\"" ;;
  esac
done >"$work/files.nsh"
mkdir -p "$(dirname "$6")"
makensis -V2 -NOCD "-DSUITE=$suite" "-DFILES=$work/files.nsh" "-DICON=$2" "-DPRODUCT=$3" \
  "-DVERSION=$4" "-DVERSION4=$(echo "$4.0.0.0" | cut -d. -f1-4)" "-DCOMPANY=$5" "-DOUT=$6.tmp" \
  "$here/installer.nsi"
mv "$6.tmp" "$6"
echo "Windows installer: $6 ($(wc -c <"$6") bytes)"

#!/usr/bin/env bash
# check_imports.sh OBJDUMP PROGRAM...: fails naming every DLL a program imports that is not
# part of every Windows system (a runtime left dynamic, zlib1.dll, ...).
set -euo pipefail
objdump=$1
shift
system='^(kernel32|user32|gdi32|shell32|advapi32|ole32|oleaut32|comctl32|comdlg32|msvcrt|ws2_32|winmm|imm32|uxtheme|version|shlwapi|api-ms-win-.*)\.dll$'
status=0
for program in "$@"; do
  while read -r dll; do
    if ! [[ "${dll,,}" =~ $system ]]; then
      echo "$(basename "$program") imports $dll, which a Windows system does not have"
      status=1
    fi
  done < <("$objdump" -p "$program" | awk '/DLL Name:/ {print $3}')
done
exit $status

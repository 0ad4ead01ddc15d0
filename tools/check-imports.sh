#!/usr/bin/env bash
# Fails when a Windows binary imports a DLL that does not ship with Windows.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|rasapi32|comdlg32|ws2_32|wsock32|crypt32|msvcrt|ole32|oleaut32)\.dll$'
status=0
for binary in "$@"; do
    while read -r dll; do
        if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
            echo "FAIL $(basename "$binary") imports $dll"
            status=1
        fi
    done < <(i686-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p')
    [ $status -eq 0 ] && echo "ok   $(basename "$binary"): $(i686-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
done
exit $status

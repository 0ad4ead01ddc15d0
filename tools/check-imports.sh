#!/usr/bin/env bash
# Checks what the Windows binaries import:
#   tools/check-imports.sh [--xp BINARY]... [BINARY]...
# Every binary imports only DLLs that ship with Windows. A binary given with --xp (the program
# that ships) imports, DLL by DLL, only functions on tools/xp-imports.txt, the reviewed list of
# functions that Windows XP SP3 has: Windows refuses to start a program that imports one it
# lacks, and Wine cannot show that (its DLLs have every function, whatever version it plays).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$root/tools/xp-imports.txt
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|rasapi32|comdlg32|ws2_32|wsock32|crypt32|msvcrt|ole32|oleaut32)\.dll$'

# "dll function" lines, the DLL in lower case; a function imported by ordinal is "#N".
imports() {
    i686-w64-mingw32-objdump -p "$1" | awk '
        /^\tDLL Name: / { dll = tolower($3); next }
        /^$/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t/ { print dll, (NF >= 3 ? $3 : "#" $2) }'
}

# The list's "dll function" lines: "[dll]" opens a DLL's group, "#" a comment.
reviewed() {
    awk '
        /^[ \t]*(#|$)/ { next }
        /^\[.*\]$/ { dll = tolower(substr($0, 2, length($0) - 2)); next }
        { print dll, $1 }' "$list"
}

xp=()
binaries=()
while [ $# -gt 0 ]; do
    case $1 in
        --xp)
            xp+=("$2")
            binaries+=("$2")
            shift 2
            ;;
        *)
            binaries+=("$1")
            shift
            ;;
    esac
done

status=0
for binary in "${binaries[@]}"; do
    name=$(basename "$binary")
    dlls=$(i686-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p')
    foreign=0
    for dll in $dlls; do
        if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
            echo "FAIL $name imports $dll"
            foreign=1
        fi
    done
    if [ $foreign -eq 0 ]; then
        echo "ok   $name imports from:" $dlls
    fi
    status=$((status | foreign))
done

if [ ${#xp[@]} -gt 0 ]; then
    echo "tools/xp-imports.txt: $(reviewed | wc -l) functions of Windows XP SP3 in" \
        "$(reviewed | cut -d' ' -f1 | sort -u | wc -l) DLLs"
fi
for binary in "${xp[@]}"; do
    name=$(basename "$binary")
    echo "$name imports $(imports "$binary" | wc -l) functions:"
    imports "$binary" | awk '
        { functions[$1] = functions[$1] " " $2 }
        END { for (dll in functions) print "  " dll ":" functions[dll] }' | sort
    missing=$(comm -23 <(imports "$binary" | sort -u) <(reviewed | sort -u))
    if [ -n "$missing" ]; then
        while read -r dll function; do
            echo "FAIL $name imports $dll $function, which is not on tools/xp-imports.txt"
        done <<<"$missing"
        echo "     Look each up in the platform's documentation: a function Windows XP SP3 has"
        echo "     goes on the list; a newer one is looked up at run time (GetProcAddress), and"
        echo "     the program works without it."
        status=1
    else
        echo "ok   $name imports only functions that Windows XP SP3 has"
    fi
done
exit $status

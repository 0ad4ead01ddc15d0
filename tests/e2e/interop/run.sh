#!/usr/bin/env bash
# Settings files the program writes (store::SettingsFile, natively and under Wine) must read
# the same through the platform's private-profile calls under Wine, and files the platform
# writes the same through the program's reader; the program's writer, killed at any moment,
# must leave a whole file.
#   tests/e2e/interop/run.sh NATIVE_BUILD WIN32_BUILD
# NATIVE_BUILD holds tests/unit/ini_tool, WIN32_BUILD holds bin/profile_check.exe.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 NATIVE_BUILD WIN32_BUILD" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../../.." && pwd)
native_tool=$(cd "$1" && pwd)/tests/unit/ini_tool
win_tool=$(cd "$2" && pwd)/bin/profile_check.exe
for tool in "$native_tool" "$win_tool"; do
    if [ ! -x "$tool" ]; then
        echo "missing $tool" >&2
        exit 2
    fi
done

export WINEDEBUG=-all
# Code page 936 as the ANSI code page, as on the users' systems.
export LC_ALL=zh_CN.UTF-8
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-interop}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
winpath() { echo "Z:${1//\//\\}"; }
native() { "$native_tool" "$@"; }
win() { wine "$win_tool" "$@"; }

# compare NAME FILE_A FILE_B: the two outputs must be equal byte for byte.
compare() {
    if cmp -s "$2" "$3"; then
        passed=$((passed + 1))
        echo "ok   $1"
    else
        failed=$((failed + 1))
        echo "FAIL $1"
        diff "$2" "$3" | head -20
    fi
}

# Files written by each side, read by both sides.
native write "$work/native.ini"
win write "$(winpath "$work/wine.ini")"
native dump "$work/native.ini" >"$work/native.ini.native"
win dump "$(winpath "$work/native.ini")" >"$work/native.ini.wine"
compare "native-written file reads the same under Wine" "$work/native.ini.native" "$work/native.ini.wine"
native dump "$work/wine.ini" >"$work/wine.ini.native"
win dump "$(winpath "$work/wine.ini")" >"$work/wine.ini.wine"
compare "Wine-written file reads the same natively" "$work/wine.ini.wine" "$work/wine.ini.native"
compare "both sides write the same bytes to a new file" "$work/native.ini" "$work/wine.ini"
compare "both sides read back the same after their own writes" "$work/native.ini.native" "$work/wine.ini.wine"
win program-write "$(winpath "$work/program.ini")"
compare "the program writes the same bytes under Wine as natively" "$work/native.ini" "$work/program.ini"

# Hand-made files: read as they are, then after the same writes by each side.
for name in $(native fixtures); do
    file="$work/$name.ini"
    native fixture "$name" "$file"
    native dump "$file" >"$file.native"
    win dump "$(winpath "$file")" >"$file.wine"
    compare "$name: reads the same" "$file.native" "$file.wine"

    cp "$file" "$file.by-native"
    cp "$file" "$file.by-wine"
    native write "$file.by-native"
    win write "$(winpath "$file.by-wine")"
    native dump "$file.by-native" >"$file.by-native.native"
    win dump "$(winpath "$file.by-native")" >"$file.by-native.wine"
    win dump "$(winpath "$file.by-wine")" >"$file.by-wine.wine"
    compare "$name: after native writes, reads the same under Wine" "$file.by-native.native" "$file.by-native.wine"
    compare "$name: native writes read like Wine's writes" "$file.by-native.native" "$file.by-wine.wine"
    cp "$file" "$file.by-program"
    win program-write "$(winpath "$file.by-program")"
    compare "$name: the program writes the same bytes under Wine as natively" "$file.by-native" "$file.by-program"
done

# The program's writer killed while it appends records to a file of 100,000 (3 MiB, so most of
# the time goes to writing): each kill must leave a file that reads, every record written, and
# at most one number per kill without its record (the counter is written first).
kill_file=$work/killed.ini
native records "$kill_file" 100000
kills_ok=0
for trial in 1 2 3 4 5; do
    out=$work/loop.$trial
    : >"$out"
    wine "$win_tool" append-loop "$(winpath "$kill_file")" >"$out" 2>/dev/null &
    writer=$!
    # Killed after a number of appends that differs from trial to trial.
    deadline=$((SECONDS + 60))
    while [ "$(wc -l <"$out")" -lt "$trial" ] && [ $SECONDS -lt $deadline ] &&
        kill -0 "$writer" 2>/dev/null; do
        sleep 0.02
    done
    kill -9 "$writer" 2>/dev/null
    wait "$writer" 2>/dev/null
    if verdict=$(native check-appended "$kill_file") && [ -s "$out" ] && [ "$verdict" -le "$trial" ]; then
        kills_ok=$((kills_ok + 1))
    else
        echo "trial $trial: $verdict (after $(wc -l <"$out") appends)"
    fi
done
if [ "$kills_ok" -eq 5 ]; then
    passed=$((passed + 1))
    echo "ok   a writer killed while appending leaves a whole file (5 kills)"
else
    failed=$((failed + 1))
    echo "FAIL a writer killed while appending left a damaged file"
fi

# A file of 300 MiB (sparse: nothing to write) is too large: the program reads none of it and
# writes nothing over it.
big=$work/big.ini
truncate -s 300M "$big"
big_before=$(stat -c '%s %Y' "$big")
verdict=$(win program-append "$(winpath "$big")")
if [ "$verdict" = "too large, not appended" ] && [ "$(stat -c '%s %Y' "$big")" = "$big_before" ] &&
    [ ! -e "$big.tmp" ]; then
    passed=$((passed + 1))
    echo "ok   a file of 300 MiB is too large and left as it was"
else
    failed=$((failed + 1))
    echo "FAIL a file of 300 MiB: $verdict"
fi

# The sealed password round trip through the platform's data protection.
if output=$(win seal); then
    passed=$((passed + 1))
    echo "ok   sealed password opens again, damaged one does not"
else
    failed=$((failed + 1))
    echo "FAIL sealed password: $output"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

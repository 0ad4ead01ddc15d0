#!/usr/bin/env bash
# Settings files the program writes (store::SettingsFile, natively and under Wine) must read
# the same through the platform's private-profile calls under Wine, and files the platform
# writes the same through the program's reader; the program's writer, killed at any moment,
# must leave a whole file.
#   tests/e2e/interop/run.sh NATIVE_BUILD WIN32_BUILD
# NATIVE_BUILD holds tests/unit/ini_tool, WIN32_BUILD holds bin/profile_check.exe. Started by
# tools/test.sh it joins that run's environment. The files are checked side by side: each
# dump is thousands of calls, and the two sides wait on different things.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 NATIVE_BUILD WIN32_BUILD" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source=../../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
native_tool=$(cd "$1" && pwd)/tests/unit/ini_tool
win_tool=$(cd "$2" && pwd)/bin/profile_check.exe
for tool in "$native_tool" "$win_tool"; do
    if [ ! -x "$tool" ]; then
        echo "missing $tool" >&2
        exit 2
    fi
done
e2e_enter "$2" || exit 2

work=$(mktemp -d)
trap 'rm -rf "$work"; e2e_leave' EXIT

native() { "$native_tool" "$@"; }
win() { e2e_unlocked wine "$win_tool" "$@"; }
winfile() { e2e_winpath "$work/$1"; }

# compare NAME FILE_A FILE_B: the two outputs must be equal byte for byte.
compare() {
    if cmp -s "$work/$2" "$work/$3"; then
        echo "ok   $1"
    else
        echo "FAIL $1"
        diff "$work/$2" "$work/$3" | head -20
    fi
}

# Files written by each side, read by both sides.
new_files() {
    native write "$work/native.ini"
    win write "$(winfile wine.ini)"
    native dump "$work/native.ini" >"$work/native.ini.native"
    win dump "$(winfile native.ini)" >"$work/native.ini.wine"
    native dump "$work/wine.ini" >"$work/wine.ini.native"
    win dump "$(winfile wine.ini)" >"$work/wine.ini.wine"
    compare "native-written file reads the same under Wine" native.ini.native native.ini.wine
    compare "Wine-written file reads the same natively" wine.ini.wine wine.ini.native
    compare "both sides write the same bytes to a new file" native.ini wine.ini
    compare "both sides read back the same after their own writes" native.ini.native wine.ini.wine
    win program-write "$(winfile program.ini)"
    compare "the program writes the same bytes under Wine as natively" native.ini program.ini
}

# A hand-made file: read as it is, then after the same writes by each side.
fixture() {
    local name=$1 file=$1.ini
    native fixture "$name" "$work/$file"
    native dump "$work/$file" >"$work/$file.native"
    win dump "$(winfile "$file")" >"$work/$file.wine"
    cp "$work/$file" "$work/$file.by-native"
    cp "$work/$file" "$work/$file.by-wine"
    native write "$work/$file.by-native"
    win write "$(winfile "$file.by-wine")"
    native dump "$work/$file.by-native" >"$work/$file.by-native.native"
    win dump "$(winfile "$file.by-native")" >"$work/$file.by-native.wine"
    win dump "$(winfile "$file.by-wine")" >"$work/$file.by-wine.wine"
    compare "$name: reads the same" "$file.native" "$file.wine"
    compare "$name: after native writes, reads the same under Wine" "$file.by-native.native" \
        "$file.by-native.wine"
    compare "$name: native writes read like Wine's writes" "$file.by-native.native" \
        "$file.by-wine.wine"
    cp "$work/$file" "$work/$file.by-program"
    win program-write "$(winfile "$file.by-program")"
    compare "$name: the program writes the same bytes under Wine as natively" "$file.by-native" \
        "$file.by-program"
}

# The program's writer killed while it appends records to a file of 100,000 (3 MiB, so most of
# the time goes to writing): each kill must leave a file that reads, every record written, and
# at most one number per kill without its record (the counter is written first).
killed_writer() {
    local file=$work/killed.ini trial out writer deadline verdict kills_ok=0
    native records "$file" 100000
    for trial in 1 2 3 4 5; do
        out=$work/loop.$trial
        : >"$out"
        # The writer's own process, not a shell around it, so that the kill hits it.
        (
            e2e_drop_lock
            exec wine "$win_tool" append-loop "$(winfile killed.ini)" >"$out" 2>/dev/null
        ) &
        writer=$!
        # Killed after a number of appends that differs from trial to trial.
        deadline=$((SECONDS + 60))
        while [ "$(wc -l <"$out")" -lt "$trial" ] && [ $SECONDS -lt $deadline ] &&
            kill -0 "$writer" 2>/dev/null; do
            sleep 0.02
        done
        kill -9 "$writer" 2>/dev/null
        wait "$writer" 2>/dev/null
        if verdict=$(native check-appended "$file") && [ -s "$out" ] &&
            [ "$verdict" -le "$trial" ]; then
            kills_ok=$((kills_ok + 1))
        else
            echo "trial $trial: $verdict (after $(wc -l <"$out") appends)"
        fi
    done
    if [ "$kills_ok" -eq 5 ]; then
        echo "ok   a writer killed while appending leaves a whole file (5 kills)"
    else
        echo "FAIL a writer killed while appending left a damaged file"
    fi
}

# A file of 300 MiB (sparse: nothing to write) is too large: the program reads none of it and
# writes nothing over it.
too_large() {
    local big=$work/big.ini before verdict
    truncate -s 300M "$big"
    before=$(stat -c '%s %Y' "$big")
    verdict=$(win program-append "$(winfile big.ini)")
    if [ "$verdict" = "too large, not appended" ] && [ "$(stat -c '%s %Y' "$big")" = "$before" ] &&
        [ ! -e "$big.tmp" ]; then
        echo "ok   a file of 300 MiB is too large and left as it was"
    else
        echo "FAIL a file of 300 MiB: $verdict"
    fi
}

# A reader holding the file open (without sharing its deletion) while the program writes: the
# write waits for the file and lands.
held_file() {
    local file=$work/held.ini verdict
    printf '[Memory]\r\nMaxDataNumber=0\r\n' >"$file"
    verdict=$(win held-append "$(winfile held.ini)")
    if [ "$verdict" = "appended" ] && grep -q '^data\[1\]=2003-9-3,60@15:9:51' "$file"; then
        echo "ok   a write waits for a reader that holds the file open"
    else
        echo "FAIL a write while a reader holds the file: $verdict"
    fi
}

# The sealed password round trip through the platform's data protection.
sealing() {
    local output
    if output=$(win seal); then
        echo "ok   sealed password opens again, damaged one does not"
    else
        echo "FAIL sealed password: $output"
    fi
}

groups=(new_files)
for name in $(native fixtures); do
    groups+=("fixture $name")
done
groups+=(sealing killed_writer too_large held_file)
jobs=()
for i in "${!groups[@]}"; do
    ${groups[$i]} >"$work/group-$i.out" 2>&1 &
    jobs+=($!)
done
wait "${jobs[@]}"
for i in "${!groups[@]}"; do
    cat "$work/group-$i.out"
done | tee "$work/all.out"
passed=$(grep -c '^ok   ' "$work/all.out")
failed=$(grep -c '^FAIL ' "$work/all.out")
e2e_print_summary "$passed" "$failed"
[ "$failed" -eq 0 ]

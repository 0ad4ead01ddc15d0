#!/usr/bin/env bash
# Checks the setup program and the portable zip of a Win32 build (BUILD_DIR/dist) under Wine,
# in a fresh prefix: silent install, what it put down, the installed program showing its window,
# the refusal while the program runs, and a silent uninstall that removes it all but keeps the
# connection log byte for byte. Also: the program carries no manifest with a UAC level, and the
# zip holds the very exe that was installed.
#
#   tests/setup/run.sh [BUILD_DIR]
#
# Ends with "N passed, N failed"; the exit code is non-zero when anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=$(realpath -- "${1:-$root/build/win32}") || exit 2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
setup=$build_dir/dist/kelvorin-$version-setup.exe
portable=$build_dir/dist/kelvorin-$version-portable.zip
bin=$build_dir/bin
for file in "$setup" "$portable" "$bin/setup_check.exe" "$bin/e2e_driver.exe"; do
    if [ ! -f "$file" ]; then
        echo "$file is missing: build the Win32 tree first (bash tools/build.sh win32; the setup" \
            "program needs NSIS, which tools/setup.sh installs)" >&2
        exit 2
    fi
done

# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
# Adds up the "ok"/"FAIL" lines of a check's output (shown as it runs); a check that fails
# without saying so counts as one failure.
count() {
    local output status ok bad
    output=$("$@" 2>&1)
    status=$?
    [ -n "$output" ] && printf '%s\n' "$output"
    ok=$(grep -c '^ok ' <<<"$output")
    bad=$(grep -c '^FAIL ' <<<"$output")
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        echo "FAIL $* (exit code $status)"
        bad=1
    fi
    passed=$((passed + ok))
    failed=$((failed + bad))
}
# Runs a command as one check; its own output is indented under the verdict's line.
check() {
    local what=$1 output status
    shift
    output=$("$@" 2>&1)
    status=$?
    if [ "$status" -eq 0 ]; then
        echo "ok   $what"
    else
        echo "FAIL $what (exit code $status)"
    fi
    [ -n "$output" ] && printf '%s\n' "$output" | sed 's/^/     /'
    return "$status"
}
# Polls until a command succeeds, for up to the given seconds.
wait_until() {
    local seconds=$1 deadline
    shift
    deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# A prefix of its own, copied from a clean one kept in the build folder (making one takes
# 15-20 s, copying it about one).
work=$build_dir/setup-test
e2e_setup "$work" || exit 2
rm -rf "$work/prefix" "$work/e2e-work"
cp -a "$WINEPREFIX" "$work/prefix" || exit 2
export WINEPREFIX=$work/prefix
e2e_start_display || exit 2
e2e_start_desktop "$bin/e2e_driver.exe" --keep-desktop

installed_dir="$WINEPREFIX/drive_c/Program Files (x86)/Kelvorin"
installed_exe=$installed_dir/kelvorin.exe
ini=$WINEPREFIX/drive_c/windows/syswow64/corvantile.ini
timeout=$(((${E2E_TIMEOUT_MS:-0} + 999) / 1000 + 120))

count python3 "$root/tests/setup/manifest_check.py" none "$bin/kelvorin.exe"
# The reader does see a level where there is one: the setup program's own.
count python3 "$root/tests/setup/manifest_check.py" level requireAdministrator "$setup"

count check "silent install ends with exit code 0" \
    e2e_unlocked timeout "$timeout" wine "$setup" /S
count wine "$bin/setup_check.exe" installed "$version"
count wine "$bin/setup_check.exe" versions "$version" "$(e2e_winpath "$setup")"

zip_has_the_installed_exe() {
    python3 - "$portable" "kelvorin-$version" "$installed_exe" <<'EOF'
import sys, zipfile
archive, folder, installed = sys.argv[1:]
with zipfile.ZipFile(archive) as z:
    names = sorted(z.namelist())
    expected = sorted(f"{folder}/{n}" for n in ("kelvorin.exe", "readme.txt", "LICENSE.txt"))
    if names != expected:
        sys.exit(f"the zip holds {names}")
    with open(installed, "rb") as f:
        sys.exit(0 if z.read(f"{folder}/kelvorin.exe") == f.read() else "the exes differ")
EOF
}
count check "the portable zip holds kelvorin.exe, readme.txt and LICENSE.txt, the exe byte for byte the installed one" \
    zip_has_the_installed_exe

# The installed program started by the end-to-end driver, with the simulated RAS service in
# this prefix's system directory.
installed_program_shows_its_window() {
    mkdir -p "$work/e2e-work"
    E2E_APP='C:\Program Files (x86)\Kelvorin\kelvorin.exe' \
        E2E_WORK_DIR=$(e2e_winpath "$work/e2e-work") \
        e2e_unlocked timeout "$timeout" wine "$bin/e2e_driver.exe" \
        Startup.ListsEntriesSortedWithTheFirstSelected | iconv -f GBK -t UTF-8 -c
    return "${PIPESTATUS[0]}"
}
e2e_install_ras "$bin" || exit 2
count check "the installed program starts and shows its main window" \
    installed_program_shows_its_window

count wine "$bin/setup_check.exe" refuses "$(e2e_winpath "$setup")"

# A log with records and a remembered account, as the program writes it (CRLF, code page 936).
printf '[Option]\r\nSaveUserPwd=True\r\nUser=\xd5\xc5\xc8\xfd\r\n[Memory]\r\nMaxDataNumber=2\r\n[Data]\r\ndata[1]=2003-9-3,3725@15:9:51\r\ndata[2]=2003-9-4,61@8:0:2\r\n' >"$ini"
cp "$ini" "$work/corvantile.ini.before"

# As an administrator's deployment tool does: the entry's QuietUninstallString. The uninstaller
# goes on in a copy of itself and removes the folder last.
count check "silent uninstall starts" \
    e2e_unlocked timeout "$timeout" wine "$installed_dir/uninstall.exe" /S
count check "silent uninstall removes the program folder" \
    wait_until "$timeout" test ! -e "$installed_dir"
count wine "$bin/setup_check.exe" removed
count check "corvantile.ini is left byte for byte" cmp "$work/corvantile.ini.before" "$ini"

e2e_cleanup
# A passing run's prefix (over 1 GB) is of no further use; a failing run's is kept to look into.
[ "$failed" -eq 0 ] && rm -rf "$work/prefix"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

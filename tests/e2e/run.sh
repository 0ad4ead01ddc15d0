#!/usr/bin/env bash
# Runs the end-to-end tests: kelvorin.exe and the driver under Wine, in a private X display
# and virtual desktop, with the simulated RAS service.
#
#   tests/e2e/run.sh [BUILD_DIR] [-- DRIVER_ARGS...]
#
# BUILD_DIR is the Win32 build (default build/win32); DRIVER_ARGS select cases by name
# ("Startup", "*Restores*") or list them (--list). The restart and shut-down cases that end
# the Wine session run afterwards, each alone (power-cases.sh); the closing "N passed,
# N failed" line and the exit code count them too.
# Screenshots land in BUILD_DIR/e2e-shots, the cases' files in BUILD_DIR/e2e-work.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=$root/build/win32
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    build_dir=$1
    shift
fi
[ "${1:-}" = "--" ] && shift

# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

e2e_setup "$build_dir" || exit 2
driver=$E2E_BIN_DIR/e2e_driver.exe
if [ ! -f "$driver" ]; then
    e2e_log "$driver is missing: build the Win32 tree first (cmake --build $build_dir)"
    exit 2
fi

shots=$E2E_BUILD_DIR/e2e-shots
work=$E2E_BUILD_DIR/e2e-work
mkdir -p "$shots" "$work"
# Only this run's pictures: a stale one would hide a run that took none.
rm -f "$shots"/*.request "$shots"/*.failed "$shots"/*.png
export E2E_WORK_DIR
E2E_WORK_DIR=$(e2e_winpath "$work")

e2e_start_display || exit 2
e2e_start_shot_watcher "$shots"
e2e_start_desktop "$driver" --keep-desktop

# ExitWindowsEx ends a Wine session by starting wineboot: disabled for the driver and the
# programs it starts, so that no case can end this run. The session is started first without
# it, since its first process starts wineboot. The cases that let the session end run later.
e2e_unlocked wine "$driver" --list >/dev/null
guarded_overrides="$WINEDLLOVERRIDES;wineboot.exe=d"

# The driver prints code page 936 text. A hung run is ended (exit code 124).
WINEDLLOVERRIDES=$guarded_overrides e2e_unlocked timeout -k 10 "${E2E_RUN_TIMEOUT:-1800}" \
    wine "$driver" "$@" | iconv -f GBK -t UTF-8 -c | tee "$work/main-run.txt"
status=${PIPESTATUS[0]}

# Restart and shut-down let through to the end of the session: each such case last, alone.
# shellcheck source=power-cases.sh
source "$root/tests/e2e/power-cases.sh"
e2e_power_cases "$driver" "$work" "$status" "$work/main-run.txt" "$@"
exit $?

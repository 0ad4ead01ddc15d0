#!/usr/bin/env bash
# Runs the end-to-end tests: kelvorin.exe and the driver under Wine, in a private X display
# and virtual desktop, with the simulated RAS service.
#
#   tests/e2e/run.sh [BUILD_DIR] [-- DRIVER_ARGS...]
#
# BUILD_DIR is the Win32 build (default build/win32); DRIVER_ARGS select cases by name
# ("Startup", "*Restores*"), list them (--list) or take a share of them (--shard K/N: the
# K-th of every N, power cases included, for runs side by side in separate prefixes). The restart and shut-down cases that end
# the Wine session run afterwards, each alone (power-cases.sh); the closing "N passed,
# N failed" line and the exit code count them too. Started by tools/test.sh it joins that
# run's environment.
# Screenshots land in BUILD_DIR/e2e-shots, the cases' files in BUILD_DIR/e2e-work.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
e2e_split_args "$@"
e2e_enter "$e2e_build_dir" || exit 2
driver=$E2E_BIN_DIR/e2e_driver.exe

shots=$E2E_BUILD_DIR/e2e-shots
work=$E2E_BUILD_DIR/e2e-work
mkdir -p "$shots" "$work"
# Only this run's pictures: a stale one would hide a run that took none.
rm -f "$shots"/*.request "$shots"/*.failed "$shots"/*.png
export E2E_WORK_DIR
E2E_WORK_DIR=$(e2e_winpath "$work")

# ExitWindowsEx ends a Wine session by starting wineboot: disabled for the driver and the
# programs it starts, so that no case can end this run (the session was booted with it). The
# cases that let the session end run later. The driver prints code page 936 text; its watchdog
# ends a hung case, and a run that still does not end is ended here (exit code 124).
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wineboot.exe=d" e2e_unlocked \
    timeout -k 10 "$(e2e_limit 1800)" \
    wine "$driver" "${e2e_args[@]}" | iconv -f GBK -t UTF-8 -c | tee "$work/main-run.txt"
status=${PIPESTATUS[0]}

# Restart and shut-down let through to the end of the session: each such case last, alone.
# shellcheck source=power-cases.sh
source "$root/tests/e2e/power-cases.sh"
e2e_power_cases "$driver" "$work" "$status" "$work/main-run.txt" "${e2e_args[@]}"

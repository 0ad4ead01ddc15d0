#!/usr/bin/env bash
# Kill trials: kelvorin.exe killed at a random moment - while dialing, while connected, just
# after a hang-up, just after a confirmed reset - again and again on one settings file. After
# each kill the file must read, no finished record may be missing, and a running connection
# must come back at the next start short of at most 60 s. Prints each trial and a closing
# figure (phases, recovered connections, the most seconds lost), then "N passed, N failed".
#
#   tests/e2e/kill-trials.sh [BUILD_DIR] [-- TRIALS [SEED]]
#
# TRIALS defaults to 15 (the short form tools/test.sh runs); 200 is the long form (about 20
# minutes, with a few connections that outlive a save). SEED repeats a run's moments. Started
# by tools/test.sh it joins that run's environment.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
e2e_split_args "$@"
trials=${e2e_args[0]:-15}
seed=${e2e_args[1]:-}
e2e_enter "$e2e_build_dir" || exit 2

work=$E2E_BUILD_DIR/e2e-work
mkdir -p "$work"
export E2E_WORK_DIR
E2E_WORK_DIR=$(e2e_winpath "$work")
# As in the main e2e run, no trial can end the Wine session (wineboot is disabled).
E2E_KILL_TRIALS=$trials E2E_KILL_SEED=$seed WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wineboot.exe=d" \
    e2e_unlocked timeout -k 10 "$(e2e_limit $((trials * 60 + 300)))" \
    wine "$E2E_BIN_DIR/e2e_driver.exe" "KillTrials.*" | iconv -f GBK -t UTF-8 -c
exit "${PIPESTATUS[0]}"

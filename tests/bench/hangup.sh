#!/usr/bin/env bash
# Times the real program's hang-up under Wine with 10,000 and 100,000 records in the settings
# file: from the hang-up command to the window idle again (record stored, running connection
# removed), five hang-ups each, and prints the figures. Slowness never fails it; a wrong
# result does.
#
#   tests/bench/hangup.sh [BUILD_DIR]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
e2e_split_args "$@"
e2e_enter "$e2e_build_dir" || exit 2
E2E_HANGUP_BENCH=1 e2e_unlocked wine "$E2E_BIN_DIR/e2e_driver.exe" "Bench.*" |
    iconv -f GBK -t UTF-8 -c
exit "${PIPESTATUS[0]}"

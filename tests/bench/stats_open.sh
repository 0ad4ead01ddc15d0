#!/usr/bin/env bash
# Times the statistics window under Wine and prints the figures: opening it over 100 up to
# 1,000,000 records (from the command until the filled list is painted and the window idle), and
# a confirmed reset of 100,000 (from the answer Yes until the emptied list is painted). Slowness
# never fails it; a list missing records, or a reset that leaves one, does.
#
#   tests/bench/stats_open.sh [BUILD_DIR] [-- BENCH_ARGS...]
#
# BUILD_DIR is the Win32 build (default build/win32). BENCH_ARGS: --repeats=N (default 5; at most
# 3 from 100,000 records, 1 at 1,000,000), --counts=N,N,... (default
# 100,1000,10000,100000,1000000), --reset=N (records of the reset, default 100000, 0 for none),
# --key-by-key (also time reading every key on its own, for comparison: seconds at 10,000).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../tools/e2e-env.sh
source "$root/tools/e2e-env.sh"
e2e_split_args "$@"

bench=$e2e_build_dir/bin/stats_open_bench.exe
if [ ! -f "$bench" ]; then
    echo "$bench is missing: build the Win32 tree first (cmake --build $e2e_build_dir)" >&2
    exit 2
fi
# The end-to-end environment: the build's prefix, code page 936 and a private X display.
exec "$root/tools/e2e-env.sh" "$e2e_build_dir" -- wine "$bench" "${e2e_args[@]}"

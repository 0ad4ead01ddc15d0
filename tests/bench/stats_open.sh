#!/usr/bin/env bash
# Times the opening of the statistics window with 100, 1,000 and 10,000 records under Wine and
# prints the figures. Slowness never fails it; a list missing records does.
#
#   tests/bench/stats_open.sh [BUILD_DIR] [-- BENCH_ARGS...]
#
# BUILD_DIR is the Win32 build (default build/win32). BENCH_ARGS: --repeats=N (default 5),
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

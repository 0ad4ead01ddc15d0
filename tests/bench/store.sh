#!/usr/bin/env bash
# Times the settings file's work under Wine - a hang-up with 10,000 and 100,000 records, a
# confirmed reset of 1,000 to 100,000, reading 100,000 and 1,000,000 records - through the
# platform's calls (before) and the program's own reader and writer (after), and prints the
# figures. Slowness never fails it; a wrong result does.
#
#   tests/bench/store.sh [BUILD_DIR] [-- BENCH_ARGS...]
#
# BUILD_DIR is the Win32 build (default build/win32). BENCH_ARGS: --repeats=N (default 5),
# --slow (also the old reset of 10,000 records: about two minutes).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir=$root/build/win32
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    build_dir=$1
    shift
fi
[ "${1:-}" = "--" ] && shift

bench=$build_dir/bin/store_bench.exe
if [ ! -f "$bench" ]; then
    echo "$bench is missing: build the Win32 tree first (cmake --build $build_dir)" >&2
    exit 2
fi
exec "$root/tools/e2e-env.sh" "$build_dir" -- wine "$bench" "$@"

#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both trees, then the native unit tests
# (with AddressSanitizer and UBSan), a fuzzing run (about a million inputs a target), the import
# check of the Windows binaries, and the Win32 checks and end-to-end tests under Wine, which
# share one Xvfb display, Wine session and desktop. Ends with each stage's time and the sum of
# all cases as "N passed, N failed"; the exit code is non-zero when anything failed.
#
# A stage is one line: stage NAME COMMAND [ARGS...]. Its closing "N passed, N failed" line is
# added up; a stage without one counts as one case, judged by its exit code.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$SECONDS

bash tools/setup.sh || exit 1
# shellcheck source=e2e-env.sh
source tools/e2e-env.sh
# The Wine prefix is made while the trees build.
e2e_prepare_prefix build/win32
bash tools/build.sh || exit 1

passed=0
failed=0
failed_stages=()
timings=("$(printf '%-22s %4d s' "setup and build" $((SECONDS - start)))")
log_dir=$root/build/test-logs
mkdir -p "$log_dir"

stage() {
    local name=$1
    shift
    echo "== $name"
    local began=$SECONDS
    e2e_unlocked "$@" 2>&1 | tee "$log_dir/$name.log"
    local status=${PIPESTATUS[0]}
    local counts p=0 f=0
    counts=$(e2e_summary "$log_dir/$name.log")
    if [ -n "$counts" ]; then
        read -r p f <<<"$counts"
        if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
            f=1
        fi
    elif [ "$status" -eq 0 ]; then
        p=1
    else
        f=1
    fi
    passed=$((passed + p))
    failed=$((failed + f))
    timings+=("$(printf '%-22s %4d s  %d passed, %d failed' "$name" $((SECONDS - began)) "$p" "$f")")
    [ "$status" -eq 0 ] || failed_stages+=("$name")
}

unit_tests() {
    ctest --test-dir build/native --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" |
        tee /dev/stderr | sed -nE 's/^.* tests passed, ([0-9]+) tests failed out of ([0-9]+)$/\2 \1/p' |
        { read -r total bad && e2e_print_summary $((total - bad)) "$bad"; }
    return "${PIPESTATUS[0]}"
}

stage unit unit_tests
stage fuzz bash tools/fuzz.sh "${FUZZ_SECONDS:-420}"
stage imports bash tools/check-imports.sh build/win32/bin/kelvorin.exe build/win32/bin/rasapi32.dll

# Every stage from here on runs in the one environment.
e2e_enter build/win32 || exit 1
stage simras wine build/win32/bin/simras_check.exe
stage interop bash tests/e2e/interop/run.sh build/native build/win32
for check in build/win32/bin/*_pixels.exe; do
    [ -e "$check" ] || continue
    stage "$(basename "$check" .exe)" wine "$check"
done
stage e2e bash tests/e2e/run.sh build/win32
stage kill-trials bash tests/e2e/kill-trials.sh build/win32 -- 15
stage setup bash tests/setup/run.sh build/win32

echo
printf '%s\n' "${timings[@]}"
printf '%-22s %4d s\n' "whole run" $((SECONDS - start))
if [ ${#failed_stages[@]} -gt 0 ]; then
    echo "Failed stages: ${failed_stages[*]}"
fi
e2e_print_summary "$passed" "$failed"
[ "$failed" -eq 0 ] && [ ${#failed_stages[@]} -eq 0 ]

#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both trees, then the native unit tests
# (with AddressSanitizer and UBSan), a fuzzing run (about a million inputs a target), the
# import check of the Windows binaries, and the Win32 checks and end-to-end tests under Wine.
# Ends with the sum of all cases as "N passed, N failed"; the exit code is non-zero when
# anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh || exit 1
bash tools/build.sh || exit 1

passed=0
failed=0
failed_stages=()
log_dir=$root/build/test-logs
mkdir -p "$log_dir"

# Runs one stage, shows its output, and adds up its closing "N passed, N failed" line. A stage
# without that line counts as one case, judged by its exit code.
stage() {
    local name=$1
    shift
    echo "== $name"
    "$@" 2>&1 | tee "$log_dir/$name.log"
    local status=${PIPESTATUS[0]}
    local line
    line=$(grep -aE '^[A-Za-z]*:? ?[0-9]+ passed, [0-9]+ failed' "$log_dir/$name.log" | tail -n 1)
    if [ -n "$line" ]; then
        local p f
        p=$(echo "$line" | grep -oE '[0-9]+ passed' | grep -oE '[0-9]+')
        f=$(echo "$line" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')
        passed=$((passed + p))
        failed=$((failed + f))
        if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
            failed=$((failed + 1))
        fi
    elif [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
    [ "$status" -eq 0 ] || failed_stages+=("$name")
}

unit_tests() {
    ctest --test-dir build/native --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" |
        tee /dev/stderr | sed -nE 's/^.* tests passed, ([0-9]+) tests failed out of ([0-9]+)$/\2 \1/p' |
        { read -r total bad && echo "$((total - bad)) passed, $bad failed"; }
    return "${PIPESTATUS[0]}"
}

stage unit unit_tests
stage fuzz bash tools/fuzz.sh "${FUZZ_SECONDS:-420}"
stage imports bash tools/check-imports.sh build/win32/bin/kelvorin.exe build/win32/bin/rasapi32.dll
stage simras bash tools/e2e-env.sh build/win32 -- wine build/win32/bin/simras_check.exe
stage interop bash tools/e2e-env.sh build/win32 -- bash tests/e2e/interop/run.sh build/native build/win32
for check in build/win32/bin/*_pixels.exe; do
    [ -e "$check" ] || continue
    stage "$(basename "$check" .exe)" bash tools/e2e-env.sh build/win32 -- wine "$check"
done
stage e2e bash tests/e2e/run.sh build/win32

echo
if [ ${#failed_stages[@]} -gt 0 ]; then
    echo "Failed stages: ${failed_stages[*]}"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#failed_stages[@]} -eq 0 ]

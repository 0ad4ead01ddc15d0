#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both trees, then the native unit tests
# (with AddressSanitizer and UBSan), a fuzzing run (about a million inputs a target, beside the
# other stages at the lowest priority), the import check of the Windows binaries, and the Win32
# checks and end-to-end tests under Wine in two lanes side by side, each lane's stages sharing
# one Xvfb display, Wine session and desktop. Ends with each stage's time and the sum of all
# cases as "N passed, N failed"; the exit code is non-zero when anything failed. On a machine
# that runs no 32-bit programs nothing of ours runs under Wine: the Wine stages are then skipped,
# each named in the output, and the closing line counts them as "N skipped".
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
runs_32bit=1
e2e_runs_32bit || runs_32bit=0
# The Wine prefix is made while the trees build.
[ "$runs_32bit" -eq 0 ] || e2e_prepare_prefix build/win32 lane-2 setup-test
bash tools/build.sh || exit 1

passed=0
failed=0
skipped=0
failed_stages=()
timings=("$(printf '%-22s %4d s' "setup and build" $((SECONDS - start)))")
log_dir=$root/build/test-logs
mkdir -p "$log_dir"
# Only this run's logs: a stage that did not run must not be judged by an earlier run's.
rm -f "$log_dir"/*.log "$log_dir"/*.status

# Adds a stage's closing "N passed, N failed" line (or its exit code) to the run's counts.
account() {
    local name=$1 status=$2 seconds=$3
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
    timings+=("$(printf '%-22s %4d s  %d passed, %d failed' "$name" "$seconds" "$p" "$f")")
    [ "$status" -eq 0 ] || failed_stages+=("$name")
}

stage() {
    local name=$1
    shift
    echo "== $name"
    local began=$SECONDS
    e2e_unlocked "$@" 2>&1 | tee "$log_dir/$name.log"
    account "$name" "${PIPESTATUS[0]}" $((SECONDS - began))
}

# Stages that cannot run on this machine: named, and counted as skipped.
skip_stages() {
    local name
    for name in "$@"; do
        echo "== $name: skipped"
        skipped=$((skipped + 1))
        timings+=("$(printf '%-22s %4s    skipped' "$name" "-")")
    done
}

# A stage of a lane beside the main one: its output goes to its log, shown when joined.
quiet_stage() {
    local name=$1
    shift
    local began=$SECONDS
    e2e_unlocked "$@" >"$log_dir/$name.log" 2>&1
    echo "$? $((SECONDS - began))" >"$log_dir/$name.status"
}

# beside LANE STAGE...: runs the function LANE (quiet_stage calls, one after the other) beside
# the main line of stages; join_beside shows and counts the stages it names.
beside_pids=()
beside_stages=()
beside() {
    local run_lane=$1
    shift
    echo "== ${*} (beside the other stages)"
    (
        e2e_drop_lock
        "$run_lane"
    ) &
    beside_pids+=($!)
    beside_stages+=("$*")
}

join_beside() {
    local i name status seconds
    for i in "${!beside_pids[@]}"; do
        wait "${beside_pids[$i]}"
        for name in ${beside_stages[$i]}; do
            echo "== $name"
            # A lane that stopped early leaves no log for its later stages: one failure each.
            [ -f "$log_dir/$name.log" ] || echo "the stage did not run" >"$log_dir/$name.log"
            cat "$log_dir/$name.log"
            status=1 seconds=0
            [ -f "$log_dir/$name.status" ] && read -r status seconds <"$log_dir/$name.status"
            account "$name" "$status" "$seconds"
        done
    done
    beside_pids=()
}
# An interrupted run ends what still runs beside it, children first.
kill_tree() {
    local child
    for child in $(pgrep -P "$1"); do
        kill_tree "$child"
    done
    kill "$1" 2>/dev/null
}
stop_beside() {
    local pid
    for pid in "${beside_pids[@]}"; do
        kill_tree "$pid"
    done
}
trap stop_beside EXIT

unit_tests() {
    ctest --test-dir build/native --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" |
        tee /dev/stderr | sed -nE 's/^.* tests passed, ([0-9]+) tests failed out of ([0-9]+)$/\2 \1/p' |
        { read -r total bad && e2e_print_summary $((total - bad)) "$bad"; }
    return "${PIPESTATUS[0]}"
}

# The Wine stages run in two lanes, each with a display, Wine session and desktop of its own
# (a second prefix: one program copy and one settings file per session); the end-to-end cases
# are split between them. Mostly they wait on the programs under test, not on the processor,
# so the second lane starts at once, beside the unit tests.
if [ -n "${E2E_PREPARE_PID:-}" ]; then
    wait "$E2E_PREPARE_PID"
    E2E_PREPARE_PID=
fi
if [ "$runs_32bit" -eq 1 ]; then
    lane=$(e2e_lane_dir build/win32 2) || exit 1
    second_lane() {
        e2e_enter "$lane" || return
        quiet_stage e2e-2 bash tests/e2e/run.sh "$lane" -- --shard 2/2
        quiet_stage kill-trials bash tests/e2e/kill-trials.sh "$lane" -- 15
    }
    beside second_lane e2e-2 kill-trials
fi
# Only the processor: at the lowest priority, so that the Wine stages keep their pace.
fuzz_lane() {
    quiet_stage fuzz nice -n 19 bash tools/fuzz.sh "${FUZZ_SECONDS:-420}"
}
beside fuzz_lane fuzz
stage unit unit_tests
stage imports bash tools/check-imports.sh --xp build/win32/bin/kelvorin.exe build/win32/bin/rasapi32.dll

pixel_checks=()
for check in build/win32/bin/*_pixels.exe; do
    [ -e "$check" ] && pixel_checks+=("$(basename "$check" .exe)")
done
if [ "$runs_32bit" -eq 1 ]; then
    e2e_enter build/win32 || exit 1
    trap 'stop_beside; e2e_leave' EXIT
    stage simras wine build/win32/bin/simras_check.exe
    stage interop bash tests/e2e/interop/run.sh build/native build/win32
    for check in "${pixel_checks[@]}"; do
        stage "$check" wine "build/win32/bin/$check.exe"
    done
    stage e2e-1 bash tests/e2e/run.sh build/win32 -- --shard 1/2
    # A prefix, display and desktop of its own, fresh for each run.
    stage setup bash tests/setup/run.sh build/win32
else
    echo "== The Wine stages cannot run here: $e2e_no_32bit_message."
    skip_stages simras interop "${pixel_checks[@]}" e2e-1 e2e-2 kill-trials setup
fi
join_beside

echo
printf '%s\n' "${timings[@]}"
printf '%-22s %4d s\n' "whole run" $((SECONDS - start))
if [ ${#failed_stages[@]} -gt 0 ]; then
    echo "Failed stages: ${failed_stages[*]}"
fi
if [ "$skipped" -gt 0 ]; then
    echo "Skipped: the Wine stages. Run this command on a machine that runs 32-bit programs" \
        "before trusting a change to the Win32 program."
    printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
else
    e2e_print_summary "$passed" "$failed"
fi
[ "$failed" -eq 0 ] && [ ${#failed_stages[@]} -eq 0 ]

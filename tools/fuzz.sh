#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for RUNS inputs (default
# 1,048,576), or SECONDS (default 420) when that comes first, starting from the seed corpus in
# tests/fuzz/corpus/ and the target's dictionary, if it has one. The targets run side by side.
# Prints the inputs run per target. Exits non-zero on a finding.
#   tools/fuzz.sh [SECONDS [RUNS]]
set -euo pipefail

seconds=${1:-420}
runs=${2:-1048576}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
targets=(record_parser ini_reader)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DKELVORIN_FUZZ=ON -DKELVORIN_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# A short allocation history and quarantine keep the sanitizer's cost per input low; the unit
# tests look for leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}

fuzz_target() {
    local target=$1
    # New inputs go to a work copy so the checked-in seeds stay as they are.
    local corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/findings/$target"
    cp -n "$root/tests/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
    # The entropic schedule's bookkeeping over the thousands of features the settings parser
    # has took two thirds of the time; the classic schedule runs twice as many inputs.
    local options=(-entropic=0)
    if [ -f "$root/tests/fuzz/$target.dict" ]; then
        options+=(-dict="$root/tests/fuzz/$target.dict")
    fi
    # A kilobyte of settings text holds dozens of lines, forty records at most: every rule the
    # checks exercise, at twice the pace of the four kilobytes inputs otherwise grow to.
    if [ "$target" = ini_reader ]; then
        options+=(-max_len=1024)
    fi
    echo "== fuzz_$target: $runs inputs or ${seconds}s"
    if ! "$build/tests/fuzz/fuzz_$target" -runs="$runs" -max_total_time="$seconds" \
        -detect_leaks=0 "${options[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target/" "$corpus" 2>"$build/fuzz_$target.log"; then
        echo "fuzz_$target found a failure; see $build/fuzz_$target.log and $build/findings/$target/"
        tail -40 "$build/fuzz_$target.log"
        return 1
    fi
    local executed rate
    executed=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$build/fuzz_$target.log")
    rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+)/\1/p' "$build/fuzz_$target.log")
    echo "fuzz_$target: $executed inputs ($rate a second)"
    grep -a -E "^stat::peak_rss_mb" "$build/fuzz_$target.log" || true
}

pids=()
for target in "${targets[@]}"; do
    fuzz_target "$target" >"$build/fuzz_$target.out" 2>&1 &
    pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
    wait "${pids[$i]}" || status=1
    cat "$build/fuzz_${targets[$i]}.out"
done
exit $status

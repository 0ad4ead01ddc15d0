#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for SECONDS (default
# 20), starting from the seed corpus in tests/fuzz/corpus/. Exits non-zero on a finding.
#   tools/fuzz.sh [SECONDS]
set -euo pipefail

seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
targets=(record_parser ini_reader)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DKELVORIN_FUZZ=ON -DKELVORIN_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# One fuzzer per target, side by side: each runs for SECONDS of wall time.
fuzz_target() {
    local target=$1
    # New inputs go to a work copy so the checked-in seeds stay as they are.
    local corpus=$build/corpus/$target
    mkdir -p "$corpus" "$build/findings/$target"
    cp -n "$root/tests/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
    echo "== fuzz_$target for ${seconds}s"
    if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target/" "$corpus" 2>"$build/fuzz_$target.log"; then
        echo "fuzz_$target found a failure; see $build/fuzz_$target.log and $build/findings/$target/"
        tail -40 "$build/fuzz_$target.log"
        return 1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$build/fuzz_$target.log" || true
}

runs=()
for target in "${targets[@]}"; do
    fuzz_target "$target" >"$build/fuzz_$target.out" 2>&1 &
    runs+=($!)
done
status=0
for i in "${!targets[@]}"; do
    wait "${runs[$i]}" || status=1
    cat "$build/fuzz_${targets[$i]}.out"
done
exit $status

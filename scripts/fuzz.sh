#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (Qt 6, AddressSanitizer with leak detection
# and UndefinedBehaviorSanitizer, warnings as errors) in build/fuzz, then runs each for the given
# number of seconds, niced, starting from the seed corpus in fuzz/corpus/<target>. Any sanitizer
# report, crash, or input that runs longer than 25 seconds fails the target; the input is kept
# in build/fuzz/artifacts.
#
# Usage: ./scripts/fuzz.sh [seconds] [target...]
#   seconds  per target, default 60
#   target   formatstring, occurrences, zone, database (default: all four)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
all_targets=(formatstring occurrences zone database)

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "fuzz.sh: the time per target must be a positive number of seconds, not '$seconds'" >&2
    exit 2
fi
[ $# -gt 0 ] && shift
if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=("${all_targets[@]}")
fi
for target in "${targets[@]}"; do
    if [[ ! " ${all_targets[*]} " =~ " $target " ]]; then
        echo "fuzz.sh: unknown target '$target' (expected: ${all_targets[*]})" >&2
        exit 2
    fi
done

build="$root/build/fuzz"
echo "=== fuzz: configure and build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DORVEL_QT_MAJOR=6 -DORVEL_WERROR=ON \
    -DORVEL_SANITIZE=ON -DORVEL_BUILD_FUZZ=ON \
    -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_CLI=OFF -DORVEL_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build" -j2

export ASAN_OPTIONS="detect_leaks=1"
# The database target writes a fresh database file for every input: keep it in memory.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

declare -A outcome
failed=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    seeds="$root/fuzz/corpus/$target"
    mkdir -p "$corpus" "$build/artifacts"
    inputs=("$corpus")
    [ -d "$seeds" ] && inputs+=("$seeds")
    log="$build/$target.log"
    echo "=== fuzz: $target for $seconds s (log: $log)"
    if nice -n 10 "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "${inputs[@]}" >"$log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
        outcome[$target]="clean for $seconds s, ${runs:-?} inputs"
    else
        tail -n 40 "$log"
        outcome[$target]="FAILED (see $log)"
        failed=1
    fi
done

echo
echo "=== Fuzz summary"
for target in "${targets[@]}"; do
    echo "$target: ${outcome[$target]}"
done
exit "$failed"

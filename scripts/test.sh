#!/usr/bin/env bash
# Installs the dependencies, then builds and runs the whole test suite in three configurations:
#   qt6       Qt 6
#   qt5       Qt 5.15
#   sanitize  Qt 6 with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer; then
#             every libFuzzer target of fuzz/ runs for ORVEL_FUZZ_SECONDS (default 20) seconds
#             (scripts/fuzz.sh, clang, build/fuzz)
# Warnings are errors in all of them. Build folders: build/ci-<configuration>.
# The qt6 configuration also builds the API reference (target docs, Doxygen warnings are errors).
# When both qt6 and qt5 passed, the two builds are installed side by side into one temporary
# prefix and consumers are built against each (tests/install/test-side-by-side.sh).
#
# Usage: ./scripts/test.sh [qt6|qt5|sanitize]...   (no argument: all three)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

all_configurations=(qt6 qt5 sanitize)
if [ $# -gt 0 ]; then
    configurations=("$@")
else
    configurations=("${all_configurations[@]}")
fi

cmake_options_of() {
    case "$1" in
    qt6) echo "-DORVEL_QT_MAJOR=6" ;;
    qt5) echo "-DORVEL_QT_MAJOR=5" ;;
    sanitize) echo "-DORVEL_QT_MAJOR=6 -DORVEL_SANITIZE=ON" ;;
    *) return 1 ;;
    esac
}

for configuration in "${configurations[@]}"; do
    if ! cmake_options_of "$configuration" >/dev/null; then
        echo "test.sh: unknown configuration '$configuration' (expected: ${all_configurations[*]})" >&2
        exit 2
    fi
done

"$root/scripts/install-deps.sh"

# Any sanitizer report ends the test process with a failure; leaks count as reports.
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Runs one configuration; prints its outcome as the last thing it does.
run_configuration() {
    local configuration="$1"
    local build="$root/build/ci-$configuration"
    local options
    read -r -a options <<<"$(cmake_options_of "$configuration")"

    echo "=== $configuration: configure"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVEL_WERROR=ON \
        "${options[@]}" || return 1
    echo "=== $configuration: build"
    cmake --build "$build" -j2 || return 1
    echo "=== $configuration: test"
    (cd "$build" && ctest --output-on-failure -j2) || return 1
    if [ "$configuration" = qt6 ]; then
        echo "=== $configuration: docs"
        cmake --build "$build" --target docs || return 1
    fi
    if [ "$configuration" = sanitize ]; then
        echo "=== $configuration: fuzz"
        "$root/scripts/fuzz.sh" "${ORVEL_FUZZ_SECONDS:-20}" || return 1
    fi
}

declare -A outcome
failed=0
for configuration in "${configurations[@]}"; do
    if run_configuration "$configuration"; then
        outcome[$configuration]="passed"
    else
        outcome[$configuration]="FAILED"
        failed=1
    fi
done

# Needs both Qt builds, so it runs after them and reuses their build folders.
steps=("${configurations[@]}")
if [ "${outcome[qt6]:-}" = passed ] && [ "${outcome[qt5]:-}" = passed ]; then
    echo "=== side-by-side: install both builds into one prefix"
    steps+=(side-by-side)
    if "$root/tests/install/test-side-by-side.sh" "$root/build/ci-qt6" "$root/build/ci-qt5"; then
        outcome[side-by-side]="passed"
    else
        outcome[side-by-side]="FAILED"
        failed=1
    fi
fi

echo
echo "=== Summary"
for step in "${steps[@]}"; do
    echo "$step: ${outcome[$step]}"
done
exit "$failed"

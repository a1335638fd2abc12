#!/usr/bin/env bash
# Regenerates docs/todolist.png, the screenshot of the Qt Quick example shown in the README: builds
# the Qt 6 configuration and runs the example's test, which seeds a database in a temporary home,
# clicks a check box off screen and grabs the window.
#
# Usage: ./scripts/screenshot.sh [build folder]   (default: build/screenshot)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/screenshot}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEL_QT_MAJOR=6 \
    -DORVEL_BUILD_EXAMPLES=ON -DORVEL_BUILD_TESTS=ON
cmake --build "$build" -j2 --target tst_todolist
# A fixed zone and size, so that a regenerated picture differs only where the program changed.
TZ=Europe/Berlin QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
    ORVEL_SCREENSHOT="$root/docs/todolist.png" "$build/examples/todolist/tst_todolist"
echo "screenshot.sh: wrote $root/docs/todolist.png"

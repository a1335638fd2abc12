#!/usr/bin/env bash
# Installs the Qt 6 and the Qt 5 build into one temporary prefix, builds a consumer against each
# (CMake package and pkg-config), runs it, and checks that a consumer compiled against the other
# Qt major stops at compile time with the library's message.
#
# Usage: tests/install/test-side-by-side.sh <Qt 6 build folder> <Qt 5 build folder>
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
qt6_build="$(cd "$1" && pwd)"
qt5_build="$(cd "$2" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

fail() {
    echo "side-by-side: $*" >&2
    exit 1
}

cmake --install "$qt6_build" --prefix "$prefix" >/dev/null
cmake --install "$qt5_build" --prefix "$prefix" >/dev/null

# Neither install overwrote the other's library, package, headers or program.
for file in lib/liborvel-backend-lite.so.1 lib/liborvel-backend-lite-qt5.so.1 \
    lib/cmake/OrvelBackendLite/OrvelBackendLiteConfig.cmake \
    lib/cmake/OrvelBackendLiteQt5/OrvelBackendLiteQt5Config.cmake \
    lib/pkgconfig/orvel-backend-lite.pc lib/pkgconfig/orvel-backend-lite-qt5.pc \
    include/orvel/pool.h include/orvel-qt5/orvel/pool.h bin/orvel bin/orvel-qt5; do
    [ -e "$prefix/$file" ] || fail "missing $file"
done
grep -q "ORVEL_QT_MAJOR_VERSION 6" "$prefix/include/orvel/orvel_config.h" || fail "Qt 6 headers"
grep -q "ORVEL_QT_MAJOR_VERSION 5" "$prefix/include/orvel-qt5/orvel/orvel_config.h" ||
    fail "Qt 5 headers"

# Every run gets its own home and the installed schema script.
run_consumer() {
    local home="$work/home-$1"
    mkdir -p "$home"
    HOME="$home" ORVEL_SCHEMA_DIR="$prefix/share/orvel-backend/db" \
        LD_LIBRARY_PATH="$prefix/lib" QT_LOGGING_RULES="orvel.debug=false" "$2" ||
        fail "consumer $1 did not run"
}

# Builds the consumer against one build's CMake package and pkg-config module, runs both, and
# checks that each loads that build's library.
build_and_run() {
    local major="$1" package="$2" module="$3" library="$4"
    local cmake_build="$work/cmake-qt$major" pc_program="$work/pc-qt$major"

    cmake -S "$here/consumer" -B "$cmake_build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DORVEL_PACKAGE="$package" -DCONSUMER_QT_MAJOR="$major" >"$work/log" 2>&1 &&
        cmake --build "$cmake_build" >>"$work/log" 2>&1 ||
        fail "building against the CMake package $package: $(cat "$work/log")"

    read -r -a flags <<<"$(pkg-config --cflags --libs "$module")"
    g++ -std=c++17 -fPIC "$here/consumer/main.cpp" "${flags[@]}" -o "$pc_program" ||
        fail "building against the pkg-config module $module"

    for program in "$cmake_build/consumer" "$pc_program"; do
        readelf -d "$program" | grep -qF "[$library]" || fail "$program does not load $library"
        run_consumer "$(basename "$(dirname "$program")")-$(basename "$program")" "$program"
    done
}

export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
build_and_run 6 OrvelBackendLite orvel-backend-lite liborvel-backend-lite.so.1
build_and_run 5 OrvelBackendLiteQt5 orvel-backend-lite-qt5 liborvel-backend-lite-qt5.so.1

# A Qt 5 program that picks the Qt 6 module, and a Qt 6 program that picks the Qt 5 module: the
# program's own Qt comes first on the include path. (CMake refuses such a mix already when it
# generates the build, because Qt's targets carry their major version.)
expect_stop() {
    local name="$1" module="$2" own_qt="$3" expected="$4"
    read -r -a flags <<<"$(pkg-config --cflags "$own_qt") $(pkg-config --cflags "$module")"
    if g++ -std=c++17 -fPIC -fsyntax-only "${flags[@]}" "$here/consumer/main.cpp" \
        >"$work/$name.out" 2>&1; then
        fail "$name compiled although its Qt differs from the library's"
    fi
    grep -qF "$expected" "$work/$name.out" ||
        fail "$name stopped without the message: $(cat "$work/$name.out")"
}
expect_stop qt5-program-on-qt6-library orvel-backend-lite Qt5Core \
    "#error \"liborvel-backend-lite was built against Qt 6, but this program is compiled against Qt 5: use the Qt 5 build of the library (CMake package OrvelBackendLiteQt5, pkg-config module orvel-backend-lite-qt5)\""
expect_stop qt6-program-on-qt5-library orvel-backend-lite-qt5 Qt6Core \
    "#error \"liborvel-backend-lite-qt5 was built against Qt 5, but this program is compiled against Qt 6: use the Qt 6 build of the library (CMake package OrvelBackendLite, pkg-config module orvel-backend-lite)\""

echo "side-by-side: both builds installed in one prefix; consumers built, ran and were stopped as expected"

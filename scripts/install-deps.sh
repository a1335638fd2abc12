#!/usr/bin/env bash
# Installs everything needed to build and test liborvel-backend-lite on Debian 12: Qt 6 and
# Qt 5 (Core, Sql with the SQLite driver, Test, translation tools), libical, the tool chain, the
# programs the tests use (sqlite3, libfaketime, Python's icalendar reader), Doxygen, clang with
# libFuzzer, and Qt Quick for the example front end. Does nothing when all of it is present.
set -euo pipefail

packages=(
    qt6-base-dev libqt6sql6-sqlite qt6-l10n-tools qt6-tools-dev
    qtbase5-dev libqt5sql5-sqlite qttools5-dev-tools qttools5-dev
    cmake g++ ninja-build pkg-config tzdata sqlite3 faketime clang-format bsdutils
    libical-dev python3-icalendar doxygen clang libclang-rt-14-dev
    qt6-declarative-dev qml6-module-qtquick qml6-module-qtquick-controls
    qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qtquick-templates
    qml6-module-qtqml-workerscript qml6-module-qtqml
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages are installed"
    exit 0
fi

run_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "install-deps: missing packages: ${missing[*]}" >&2
        echo "install-deps: run this script as root (sudo is not available)" >&2
        exit 1
    fi
}

echo "install-deps: installing ${missing[*]}"
run_as_root env DEBIAN_FRONTEND=noninteractive apt-get update
run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"

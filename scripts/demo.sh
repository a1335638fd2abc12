#!/usr/bin/env bash
# Builds and installs liborvel-backend-lite and its command-line front end orvel under PREFIX
# (default: ./_install in the source tree), then shows orvel at work.
#
#   scripts/demo.sh [PREFIX]
#
# The demonstration runs in a fresh temporary home directory, so it never reads or changes your
# own ~/.orvel; the script prints where that directory is and leaves it for you to look at.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${1:-$root/_install}"
mkdir -p "$prefix"
prefix="$(cd "$prefix" && pwd)"
build="$root/build/demo"
jobs=2

say() {
    printf '\n== %s\n' "$*"
}

# Prints the command line, runs it and echoes what it printed; the output is kept in $output.
orvel() {
    printf '$ orvel'
    printf ' %q' "$@"
    printf '\n'
    output="$("$prefix/bin/orvel" "$@")"
    [ -z "$output" ] || printf '%s\n' "$output"
}

say "Installing the build dependencies"
"$root/scripts/install-deps.sh"

say "Building and installing the library to $prefix"
# The library looks for its schema script under the prefix it is installed to.
cmake -S "$root" -B "$build/library" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DORVEL_SCHEMA_DIR="$prefix/share/orvel-backend/db/" \
    -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_CLI=OFF -DORVEL_BUILD_BENCH=OFF
cmake --build "$build/library" -j "$jobs"
cmake --install "$build/library"

say "Building orvel against the installed library and installing it to $prefix/bin"
cmake -S "$root/cli" -B "$build/cli" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DORVEL_BUILD_TESTS=OFF
cmake --build "$build/cli" -j "$jobs"
cmake --install "$build/cli"

demo_home="$(mktemp -d "${TMPDIR:-/tmp}/orvel-demo.XXXXXX")"
export HOME="$demo_home"
# Also lets an orvel built for another prefix find the schema script of this one.
export ORVEL_SCHEMA_DIR="$prefix/share/orvel-backend/db"
say "Demonstration in the temporary home $demo_home"

today="$(date +%F)"
tomorrow="$(date -d tomorrow +%F)"
in_two_weeks="$(date -d '+14 days' +%F)"

say "A few todos with fields and alarms"
orvel add "Buy milk" --start "$today 17:00" --field Shop=Corner --alarm "$today 16:30"
orvel add "Call the plumber" --start "$tomorrow 09:00" --end "$tomorrow 09:30" \
    --field Project=Home --alarm "$tomorrow 08:45"
orvel add "Write the report" --start "$today" --end "$in_two_weeks" --field Project=Work
orvel add "Water the plants" --start "$today 08:00" --alarm "$today 07:55"
plants="$output"

say "The last one repeats on Mondays and Thursdays"
orvel repeat "$plants" --weekly MON,THU

say "Everything, sorted by start"
orvel list
orvel show "$plants"

say "Instancing the repeating todo for the next two weeks"
orvel instance --until "$in_two_weeks"
orvel list

say "Done with the milk; what is still open at home?"
orvel done 1
orvel list --open --field Project=home

say "The database is $demo_home/.orvel/orvel_db.sqlite; orvel is $prefix/bin/orvel"
echo "Try: HOME=$demo_home $prefix/bin/orvel --help"

#!/bin/sh
# Runs the directory-list benchmark under a build folder's Wine prefix; builds
# nothing (build the dirlist_bench target first).
# Usage: bench/dirlist.sh [build folder]   (default: build in the project)
# The file folders stay in <build folder>/bench-work and are reused.
set -eu
BUILD=${1:-$(dirname "$0")/../build}
BUILD=$(cd "$BUILD" && pwd)
EXE="$BUILD/bench/dirlist_bench.exe"
if [ ! -f "$EXE" ]; then
  echo "$EXE is missing: cmake --build $BUILD --target dirlist_bench" >&2
  exit 1
fi
mkdir -p "$BUILD/bench-work"
cd "$BUILD/bench-work"
exec "$BUILD/wine-run" "$EXE"

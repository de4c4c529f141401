#!/usr/bin/env bash
# The test command: installs what is missing, builds for 32-bit Windows and
# runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure --timeout 900 "$@"

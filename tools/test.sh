#!/usr/bin/env bash
# The test command: installs what is missing, builds the 32-bit Windows programs
# and runs every test under Wine. On a machine that cannot run 32-bit x86 code
# itself, the tests run on a 64-bit build of the same sources under wine64
# (tools/test-arch.sh says which and why); the 32-bit build is still made.
# The tests run in a network namespace of their own where that can be made (as
# root; tools/line-namespace.sh). After the run it says how many tests were
# skipped and why, even when all passed; its exit status is ctest's.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build -j"$(nproc)"
arch=$(tools/test-arch.sh)
if [ "$arch" = i686 ]; then
  tests=build
else
  echo "test: this machine runs no 32-bit x86 code natively; the tests run on the x86_64 build (build-x86_64) under wine64"
  tests=build-x86_64
  cmake -S . -B "$tests" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
  cmake --build "$tests" -j"$(nproc)"
fi

# The test runner (tests/support/run-gtest.sh) appends each program's skips here.
export NORVASK_SKIP_LOG=$PWD/$tests/skipped-tests.txt
rm -f "$NORVASK_SKIP_LOG"
status=0
# In a network namespace of the run's own, where the slow test lines are made.
tools/line-namespace.sh "$PWD/$tests/wineprefix" \
  ctest --test-dir "$tests" --output-on-failure --timeout 900 "$@" || status=$?
if [ -f "$NORVASK_SKIP_LOG" ]; then
  awk -F'\t' '{ total += $2 } END { print "test: " total " test" (total == 1 ? "" : "s") " skipped" }' "$NORVASK_SKIP_LOG"
  awk -F'\t' '{ print "test: skipped (" $2 ") in " $1 ": " $3 }' "$NORVASK_SKIP_LOG"
else
  echo "test: no test skipped"
fi
exit "$status"

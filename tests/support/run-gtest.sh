#!/usr/bin/env bash
# run-gtest.sh COMMAND...: runs one GoogleTest program and passes only when it
# exited with 0, ran at least one test and printed GoogleTest's own closing line
# without a failure. The closing line is needed as well as the exit code: under
# Wine a program that crashes may still exit with 0.
set -uo pipefail
output=$(mktemp)
trap 'rm -f "$output"' EXIT

"$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}

if [ "$status" -ne 0 ]; then
  echo "run-gtest: the program exited with $status" >&2
  exit 1
fi
if ! grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$output"; then
  echo "run-gtest: no closing line of a run with at least one test" >&2
  exit 1
fi
if grep -q '^\[  FAILED  \]' "$output"; then
  echo "run-gtest: a test failed" >&2
  exit 1
fi

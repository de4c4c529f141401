#!/usr/bin/env bash
# run-gtest.sh COMMAND...: runs one GoogleTest program and passes only when it
# exited with 0, ran at least one test and printed GoogleTest's own closing line
# without a failure. The closing line is needed as well as the exit code: under
# Wine a program that crashes may still exit with 0. Skipped tests pass, but
# the runner says how many there were and why, each reason once, and appends
# "program<TAB>count<TAB>reason" lines to $NORVASK_SKIP_LOG when it is set
# (tools/test.sh sums them up after the run).
set -uo pipefail
program=$(basename "${!#}" .exe)
output=$(mktemp)
trap 'rm -f "$output"' EXIT

"$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}

# GoogleTest prints "FILE:LINE: Skipped" and the test's reason on the line after.
report_skips() {
  local count
  count=$(grep -Ec '^\[  SKIPPED \] [^ ]+\.[^ ]+ \([0-9]+ ms\)' "$output")
  [ "$count" -gt 0 ] || return 0
  echo "run-gtest: $count test$([ "$count" -eq 1 ] || echo s) skipped"
  awk 'skipped { sub(/\r$/, ""); print; skipped = 0 } /: Skipped\r?$/ { skipped = 1 }' "$output" |
    sort | uniq -c | sort -rn |
    while read -r times reason; do
      echo "run-gtest: skipped ($times): $reason"
      [ -z "${NORVASK_SKIP_LOG:-}" ] || printf '%s\t%s\t%s\n' "$program" "$times" "$reason" >>"$NORVASK_SKIP_LOG"
    done
}
report_skips

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

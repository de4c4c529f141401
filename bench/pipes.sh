#!/usr/bin/env bash
# bench/pipes.sh [BUILD]: round trips per second of "REQGETSTATS" against the
# information pipe server (4 instances) beside a minimal Win32 pipe server, with
# 1, 2, 3, 4 and 8 clients, under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
"$build/wine-run" "$build/bench/pipe_bench.exe"

#!/usr/bin/env bash
# bench/console_pipes.sh [BUILD]: the console's pipe client against a running
# transport service, statistics and configuration round trips, beside bare
# CallNamedPipeA transactions of the same sizes, under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
tools/wine-prefix.sh up "$build/wineprefix" "$build/tests/wine_keepalive.exe"
trap 'tools/wine-prefix.sh down "$build/wineprefix"' EXIT
"$build/wine-run" "$build/bench/console_pipes_bench.exe" | tr -d '\r'

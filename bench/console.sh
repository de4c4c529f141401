#!/usr/bin/env bash
# bench/console.sh [BUILD]: the console's timer tick (PollService + UpdateButtons)
# against bare service-manager status queries, 1,000 of each, beside a running
# transport service, under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
tools/wine-prefix.sh up "$build/wineprefix" "$build/tests/wine_keepalive.exe"
trap 'tools/wine-prefix.sh down "$build/wineprefix"' EXIT
"$build/wine-run" "$build/bench/console_bench.exe"

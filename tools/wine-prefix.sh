#!/usr/bin/env bash
# wine-prefix.sh up PREFIX KEEPALIVE_EXE | down PREFIX
#   up:   boots the prefix on first use and waits for the boot to settle, then
#         keeps one wineserver, and through KEEPALIVE_EXE Wine's system processes,
#         alive for the run (Wine stops services a few seconds after the last
#         program exits). They start here with no terminal, so no test waits on them.
#   down: ends that wineserver and everything it serves.
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case $action in
  up)
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/.booted" ]; then
      wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.booted"
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    setsid wine "$3" </dev/null >/dev/null 2>&1 &
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
  down)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 up PREFIX KEEPALIVE_EXE | down PREFIX" >&2
    exit 2
    ;;
esac

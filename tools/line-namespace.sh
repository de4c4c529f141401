#!/usr/bin/env bash
# line-namespace.sh PREFIX COMMAND...: runs COMMAND in a network namespace of its
# own, whose loopback (up, with a 1500-byte MTU) is all the network it has: there
# the FTP test servers put their slow lines with tc (tests/support/ftpserver.py),
# and nothing outside is shaped. Making the namespace needs root and unshare;
# without them COMMAND runs as it is, and the tests that need a slow line skip.
# The Wine prefix PREFIX must start its wineserver inside: the service's process
# is made by the prefix's services.exe, so a wineserver of PREFIX that already
# runs outside is ended first, or the service would quietly run outside too.
# The FTP test servers shape only the namespace that NORVASK_LINE_NETNS names;
# NORVASK_NO_LINE_NETNS says why there is none.
set -euo pipefail
if [ "${1:-}" = --inside ]; then
  shift
  ip link set lo mtu 1500 up
  NORVASK_LINE_NETNS=$(readlink /proc/self/ns/net)
  export NORVASK_LINE_NETNS
  exec "$@"
fi
prefix=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  why="not run as root"
elif ! unshare --net true 2>/dev/null; then
  why="unshare --net is refused here"
else
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  exec unshare --net -- "$0" --inside "$@"
fi
echo "test: no network namespace of the run's own ($why): the tests that need a slow line skip"
export NORVASK_NO_LINE_NETNS=$why
exec "$@"

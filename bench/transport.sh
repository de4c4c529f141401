#!/usr/bin/env bash
# bench/transport.sh [BUILD]: the transport service's cycles over a tracked folder of
# 1,000, 10,000 and 50,000 files: idle cycle beside a bare listing, first COPY cycle
# beside a plain copy, first FTP cycle to a loopback server beside the FTP client alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
state=$build/transport-bench
server=tests/support/ftpserver.py
winpath() { echo "Z:$1" | tr / '\\'; }

/usr/bin/python3 $server start "$state/ftp"
trap '/usr/bin/python3 $server stop "$state/ftp"' EXIT
port=$(sed -n 's/^ftp=//p' "$state/ftp/ports.txt")

"$build/wine-run" "$build/bench/transport_bench.exe" "$(winpath "$state/work")" "$port" norvask s3cret | tr -d '\r'

# The FTP client by itself: the same 4 KiB files over one connection.
small=$state/small
mkdir -p "$small"
for i in $(seq -f %04g 0 999); do [ -f "$small/f$i.bin" ] || head -c 4096 /dev/zero >"$small/f$i.bin"; done
head -c 4096 /dev/zero >"$state/one.bin"
"$build/wine-run" "$build/bench/ftp_bench.exe" "$port" norvask s3cret "$(winpath "$small")" 1000 \
  "$(winpath "$state/one.bin")" | tr -d '\r' |
  awk -F= '/^small_seconds=/ { printf "FTP client alone: 1000 files in %.2f s, %.0f files/s\n", $2, 1000 / $2 }'

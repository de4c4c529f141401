#!/usr/bin/env bash
# bench/ftp_requests.sh [BUILD] [COUNT]: the wineserver requests that one small
# FTP upload costs under Wine, by request name, beside the barest blocking
# Winsock upload's: each program uploads 1 file, then COUNT files (default 200)
# of 512 bytes, each with WINEDEBUG=+server, and the difference is divided by
# COUNT - 1. Each request is a round trip to the
# wineserver, the main cost of an upload to a loopback server under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
count=${2:-200}
state=$build/ftp-requests
server=tests/support/ftpserver.py
rm -rf "$state"
mkdir -p "$state/local/small"
/usr/bin/python3 $server start "$state/ftp" >/dev/null
trap '/usr/bin/python3 $server stop "$state/ftp" >/dev/null' EXIT
port=$(sed -n 's/^ftp=//p' "$state/ftp/ports.txt")
for i in $(seq -f %04g 0 $((count - 1))); do head -c 512 /dev/urandom >"$state/local/small/f$i.bin"; done
head -c 512 /dev/urandom >"$state/local/large.bin"
winpath() { echo "Z:$1" | tr / '\\'; }
export WINEPREFIX=$build/wineprefix
# The trace comes from the wineserver itself, so it must start with the run.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w
# Each request shows twice, as asked and as answered.
requests() { grep -o '^[0-9a-f]*: [a-z_]*(' "$1" | sed 's/^[0-9a-f]*: //; s/($//' | sort | uniq -c | awk '{print $2, $1 / 2}' | sort; }
# Per program: the requests of COUNT uploads less those of one, per file. The
# argument N stands for the number of files.
per_file() {
  local name=$1 n arg args
  shift
  for n in 1 "$count"; do
    args=()
    for arg in "$@"; do if [ "$arg" = N ]; then args+=("$n"); else args+=("$arg"); fi; done
    WINEDEBUG=+server "$build/wine-run" "${args[@]}" 2>"$state/trace$n.txt" >/dev/null
    /usr/lib/wine/wineserver -w
    requests "$state/trace$n.txt" >"$state/requests$n.txt"
  done
  join -a 2 -e 0 -o 0,1.2,2.2 "$state/requests1.txt" "$state/requests$count.txt" |
    awk -v n="$count" '{ d = ($3 - $2) / (n - 1); t += d; if (d >= 0.1) print $1, d } END { print "total", t }' |
    sort >"$state/$name.txt"
}
small=$(winpath "$state/local/small")
per_file ours "$build/bench/ftp_bench.exe" "$port" norvask s3cret "$small" N "$(winpath "$state/local/large.bin")"
per_file bare "$build/bench/bare_ftp_bench.exe" "$port" norvask s3cret "$small" N
echo "wineserver requests per uploaded file of 512 bytes ($count files): the FTP client, and the barest"
echo "blocking Winsock upload (PASV, connect, STOR, send, shutdown, close, 226) beside it"
printf '  %-26s %6s %6s\n' request client bare
join -a 1 -a 2 -e 0 -o 0,1.2,2.2 "$state/ours.txt" "$state/bare.txt" |
  awk '{ printf "  %-26s %6.2f %6.2f\n", $1, $2, $3 }' | sort -k2 -nr

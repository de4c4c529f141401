#!/usr/bin/env bash
# The main job: builds the programs, installs norvask into the Wine prefix's
# service control manager with a sample shop folder, starts it and shows what
# its first cycle sent.
#   tools/run.sh        send by file copy to build/run/out
#   tools/run.sh ftp    send by FTP to a local server (127.0.0.1:2121, files in build/run/ftp)
#   tools/run.sh stop   stop and remove the service, end the Wine session
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mode=${1:-copy}
# The 32-bit programs where this machine runs 32-bit code, else their 64-bit
# build under wine64 (tools/test-arch.sh).
arch=$(tools/test-arch.sh)
if [ "$arch" = i686 ]; then build=$root/build; else build=$root/build-x86_64; fi
run=$build/run
wine=$build/wine-run

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winpath() { echo "Z:${1//\//\\}"; }

# Ends the process whose id FILE holds, when its command line still names WHAT
# (the id may since have gone to another process), and forgets the id.
end_recorded() {
  local file=$1 what=$2 pid
  if [ -f "$file" ]; then
    pid=$(cat "$file")
    if grep -qaF "$what" "/proc/$pid/cmdline" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  fi
  rm -f "$file"
}

# Ends only what this script started: the console and the FTP server it recorded.
stop_service() {
  end_recorded "$run/console.pid" norvask_cfg.exe
  "$wine" sc stop TransportSvc >/dev/null 2>&1 || true
  sleep 2
  [ -f "$run/norvask.exe" ] && "$wine" "$run/norvask.exe" UNINSTALL SILENT >/dev/null 2>&1 || true
  end_recorded "$run/ftpserver.pid" pyftpdlib
}

if [ "$mode" = stop ]; then
  [ -f "$build/xvfb-display" ] && DISPLAY=$(cat "$build/xvfb-display") && export DISPLAY
  stop_service
  tools/wine-prefix.sh down "$WINEPREFIX"
  echo "norvask stopped and removed."
  exit 0
fi

tools/setup.sh
[ "$arch" = i686 ] || echo "run: this machine runs no 32-bit x86 code natively; running the x86_64 build under wine64"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target norvask norvask_cfg wine_keepalive window_shot
# The console shows on the person's display when there is one, else on a virtual one.
NORVASK_DISPLAY=${DISPLAY:-} tools/wine-prefix.sh up "$WINEPREFIX" "$build/tests/wine_keepalive.exe"
DISPLAY=$(cat "$build/xvfb-display")
export DISPLAY
stop_service

# A sample shop: a few files in category folders, one .cor file that the
# service renames to .scb, and a file of the tracked folder itself.
rm -rf "$run" && mkdir -p "$run/shop"/{comptage,caisse,filters,meteo,events} "$run/out"
cp "$build/service/norvask.exe" "$run/"
printf 'counts 08:00 12\r\n' >"$run/shop/comptage/20261209.scb"
printf 'counts 09:00 17\r\n' >"$run/shop/comptage/20261209B.COR"
printf 'till 42.50\r\n' >"$run/shop/caisse/ticket001.txt"
printf 'filter\r\n' >"$run/shop/filters/zone1.fif"
printf 'sunny 12C\r\n' >"$run/shop/meteo/today.txt"
printf 'door open\r\n' >"$run/shop/events/door.txt"
printf 'shop=1\r\n' >"$run/shop/shop.arg"

if [ "$mode" = ftp ]; then
  mkdir -p "$run/ftp"
  /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 2121 -w -d "$run/ftp" -u norvask -P secret \
    >"$run/ftpserver.log" 2>&1 </dev/null &
  echo $! >"$run/ftpserver.pid"
  transport="Transport=FTP
Destination0=127.0.0.1
Port=2121
PassiveMode=1
Username=norvask
Password=secret"
  shown=$run/ftp
else
  transport="Transport=COPY
Destination0=$(winpath "$run/out")"
  shown=$run/out
fi

cat >"$run/norvask.ini" <<INI
[General]
LogDetailed=1
TimeBetweenActions=20
[Directory0]
TrackDirectory=$(winpath "$run/shop")
[Transport]
$transport
DestinationDirectory=shop0001
INI
sed -i 's/$/\r/' "$run/norvask.ini"

"$wine" "$run/norvask.exe" INSTALL SILENT
"$wine" sc start TransportSvc >/dev/null
echo "norvask started; waiting for its first cycle..."
for _ in $(seq 1 60); do
  grep -q "files OK" "$run/norvask.log" 2>/dev/null && break
  sleep 1
done

echo
echo "== What arrived in $shown"
(cd "$shown" && find . -type f | sort)
echo
echo "== norvask.log"
cat "$run/norvask.log"

# The console, in the run folder beside the service, watching it on this PC. The
# shell that becomes it records its own id, whether or not setsid forked.
cp "$build/console/norvask_cfg.exe" "$run/"
(cd "$run" && setsid sh -c 'echo $$ >console.pid; exec "$1" norvask_cfg.exe' sh "$wine" \
  </dev/null >"$run/console.log" 2>&1 &)
echo
echo "norvask_cfg started on display $DISPLAY; waiting for its window..."
if "$wine" "$build/tests/window_shot.exe" "Envoi des fichiers" "$(winpath "$run/console.png")" 300000 >/dev/null 2>&1; then
  echo "Screenshot of the console's main window: $run/console.png"
else
  echo "The console's window did not show within 5 minutes (see $run/console.log)."
fi

echo
echo "The service keeps running (a cycle every 20 s), watched by the console."
echo "Stop and remove both with: tools/run.sh stop"

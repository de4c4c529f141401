#!/usr/bin/env bash
# wine-prefix.sh up PREFIX KEEPALIVE_EXE | down PREFIX
#   up:   starts a virtual X display (Xvfb) for the run (or, when NORVASK_DISPLAY
#         is set, uses that display), so that programs can
#         show real windows, and records its number in xvfb-display beside the
#         prefix (tools/wine-run reads it). Then boots the prefix on first use
#         and waits for the boot to settle, copies Wine's own fonts into it,
#         then keeps one wineserver, and
#         through KEEPALIVE_EXE Wine's system processes, alive for the run (Wine
#         stops services a few seconds after the last program exits). They start
#         here with no terminal, so no test waits on them.
#   down: ends that wineserver and everything it serves, then the X display.
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
run_dir=$(dirname "$WINEPREFIX")
display_file=$run_dir/xvfb-display
xvfb_pid_file=$run_dir/xvfb-pid
# The build folder's own way to start Wine (32- or 64-bit, this prefix, this display).
wine_run=$run_dir/wine-run
wine_fonts=/usr/share/wine/fonts

xvfb_running() {
  [ -f "$display_file" ] && [ -f "$xvfb_pid_file" ] && kill -0 "$(cat "$xvfb_pid_file")" 2>/dev/null &&
    [ -S "/tmp/.X11-unix/X$(cut -c2- "$display_file")" ]
}

# The first display number that no other X server holds; a number taken by
# another run in the meantime makes Xvfb exit, and the next one is tried.
start_xvfb() {
  local number pid
  for number in $(seq 90 189); do
    if [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; then continue; fi
    setsid Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
      if [ -S "/tmp/.X11-unix/X$number" ]; then
        echo ":$number" >"$display_file"
        echo "$pid" >"$xvfb_pid_file"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  echo "$0: no X display could be started" >&2
  return 1
}

stop_xvfb() {
  if [ -f "$xvfb_pid_file" ]; then
    local pid
    pid=$(cat "$xvfb_pid_file")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$display_file" "$xvfb_pid_file"
}

case $action in
  up)
    mkdir -p "$WINEPREFIX"
    if [ -n "${NORVASK_DISPLAY:-}" ]; then
      # The person's own display (tools/run.sh): no virtual one.
      echo "$NORVASK_DISPLAY" >"$display_file"
      rm -f "$xvfb_pid_file"
    else
      # A run that was cut short leaves its display up: use it again.
      xvfb_running || start_xvfb
    fi
    # Wine's desktop process (explorer.exe) starts from these processes and
    # needs the display too.
    DISPLAY=$(cat "$display_file")
    export DISPLAY
    if [ ! -f "$WINEPREFIX/.booted" ]; then
      "$wine_run" wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.booted"
    fi
    # Wine draws the caption buttons with Marlett and its dialogs in Tahoma;
    # Debian ships them apart (fonts-wine), in a folder that this wine64 build
    # does not search, so the prefix gets its own copies (a prefix booted before
    # too). Without them the captions show letters in place of their buttons.
    if [ -d "$wine_fonts" ]; then
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      cp -u "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    else
      echo "$0: $wine_fonts is missing (tools/setup.sh installs fonts-wine): captions show letters in place of their buttons" >&2
    fi
    # No window manager runs on the virtual display: Wine draws the frames and
    # captions itself, so that screenshots show windows as a person sees them.
    if ! grep -qs '"Decorated"="N"' "$WINEPREFIX/user.reg"; then
      "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
      wineserver -w
    fi
    # A server that is up already (a benchmark's, say) refuses to start another
    # and serves the run instead.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    setsid "$wine_run" "$3" </dev/null >/dev/null 2>&1 &
    "$wine_run" cmd /c exit </dev/null >/dev/null 2>&1
    ;;
  down)
    wineserver -k 2>/dev/null || true
    stop_xvfb
    ;;
  *)
    echo "usage: $0 up PREFIX KEEPALIVE_EXE | down PREFIX" >&2
    exit 2
    ;;
esac

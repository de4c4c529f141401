#!/usr/bin/env bash
# Installs, when missing, everything the build and the tests need on Debian 12.
# Safe to run again: each step checks before it acts.
set -euo pipefail

packages=(wine wine32 wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix cmake make googletest xvfb
          python3 python3-pyftpdlib tinyproxy-bin curl fonts-wine iproute2)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

list_missing() {
  missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
list_missing

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror in the middle of a sync fails one index now and then; the packages
  # may install all the same, so after a few tries the install decides.
  for try in 1 2 3; do
    as_root apt-get update -qq && break
    echo "setup: package index refresh failed (try $try of 3)" >&2
    sleep $((try * 5))
  done
  if ! as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null; then
    list_missing
    echo "setup: could not install ${missing[*]}: apt-get install failed (see above; the package index may be incomplete)" >&2
    exit 1
  fi
fi

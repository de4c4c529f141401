#!/usr/bin/env bash
# Installs, when missing, everything the build and the tests need on Debian 12.
# Safe to run again: each step checks before it acts.
set -euo pipefail

packages=(wine wine32 wine64 g++-mingw-w64-i686 cmake make googletest xvfb
          python3 python3-pyftpdlib tinyproxy-bin curl)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

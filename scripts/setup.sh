#!/usr/bin/env bash
# Installs what building, running and testing Quillon needs. Idempotent: installs only what is
# missing, so a second run is quick and offline.
set -euo pipefail

packages=(
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libgl-dev
  fonts-wqy-zenhei fontconfig
  xvfb xauth imagemagick x11-apps
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  dpkg-dev file librsvg2-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

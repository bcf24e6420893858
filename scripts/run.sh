#!/usr/bin/env bash
# Builds Quillon and starts the window. Unless the settings file next to the built program maps
# ports to real devices (a [Ports] section), the window runs from a demo folder whose own
# settings map COM 1 to the built-in simulated GSM module, so it works without hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quillon

program=build/bin/quillon
if ! grep -qi '^\s*\[ports\]' build/bin/quillon.ini 2>/dev/null; then
  mkdir -p build/demo
  cp -f build/bin/quillon build/demo/quillon
  if [ ! -f build/demo/quillon.ini ]; then
    printf '[Ports]\r\nCOM1=simulator\r\n' > build/demo/quillon.ini
  fi
  program=build/demo/quillon
  echo "run: no real device mapped; COM 1 is the simulated module (settings: $program.ini)"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; starting a virtual one (Xvfb :99)"
  Xvfb :99 -screen 0 1024x768x24 >/dev/null 2>&1 &
  export DISPLAY=:99
  sleep 1
fi
exec "$program" "$@"

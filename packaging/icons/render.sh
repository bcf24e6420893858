#!/usr/bin/env bash
# Renders the application icon at the sizes the desktop and the window use. Run after editing
# quillon.svg and commit the PNGs with it (the build does not need librsvg).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" quillon.svg -o "quillon-$size.png"
done

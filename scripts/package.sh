#!/usr/bin/env bash
# Builds the Debian package (CPack, DEB generator) into dist/ and checks it with lintian.
# Reuses the `build` folder (BUILD_DIR picks another; a new folder is configured without tests
# and benchmarks, which the package does not hold). The install prefix is set to /usr, so the
# programs know where they are installed (see the settings-file rule in README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build="${BUILD_DIR:-build}"
options=(-DCMAKE_INSTALL_PREFIX=/usr)
if [ ! -f "$build/CMakeCache.txt" ]; then
  options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF)
fi
cmake -S . -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build"

mkdir -p dist
rm -f dist/quillon_*.deb
(cd "$build" && cpack -G DEB -B "$PWD/../dist" >/dev/null)
rm -rf dist/_CPack_Packages
deb=$(ls dist/quillon_*.deb)
echo "package: $deb"

if ! command -v lintian >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends lintian >/dev/null
fi
# Not a Debian archive upload: no source package, an upstream-style changelog and an unknown
# maintainer address are expected; stripped binaries keep no separate debug package.
lintian --no-tag-display-limit \
  --suppress-tags no-manual-page,maintainer-address-is-on-localhost,bad-distribution-in-changes-file,debian-changelog-file-missing-or-wrong-name \
  "$deb" | tee dist/lintian.txt
if grep -q '^E:' dist/lintian.txt; then
  echo "package: lintian reports errors" >&2
  exit 1
fi

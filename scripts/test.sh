#!/usr/bin/env bash
# Builds Quillon and runs the whole test suite: a normal build, a build with AddressSanitizer
# and UndefinedBehaviorSanitizer, and a short run of every fuzzer. Any failure fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(( $(nproc) * 2 ))

echo "== build and test =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizers (address, undefined) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== package: build the .deb, unpack it, run the installed programs =="
bash scripts/package.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x dist/quillon_*.deb "$scratch"
"$scratch/usr/bin/quillon" --version
"$scratch/usr/bin/quillon-sim" --help >/dev/null
test -f "$scratch/usr/share/applications/example.korvel.Quillon.desktop"
test -f "$scratch/usr/share/icons/hicolor/48x48/apps/quillon.png"

if [ -x scripts/fuzz.sh ] || [ -f scripts/fuzz.sh ]; then
  echo "== fuzzers =="
  FUZZ_SECONDS="${FUZZ_SECONDS:-30}" bash scripts/fuzz.sh
fi
echo "== all tests passed =="

#!/usr/bin/env bash
# Builds the benchmark programs (Release, in build-bench) and runs them on a virtual display:
# the bare QSerialPort poll (the baseline), the main window on a pseudo-terminal (its floods also
# with the session log off), and the module test against the simulated module. Prints the
# machine, the figures and a summary next to the goals; the whole run takes about three minutes
# once built. Benchmarks only print:
# nothing here fails on a slow figure.
#
# QUILLON_BENCH_SCALE=0.3 shortens every measuring period (a quick look, noisier figures).
set -euo pipefail
cd "$(dirname "$0")/.."

build="build-bench"
targets=(quillon-bench-poll-baseline quillon-bench-terminal quillon-bench-module-test)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_BENCH=ON >/dev/null
cmake --build "$build" --target "${targets[@]}"

scratch="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own, so the window is really shown and painted, and so its X server's CPU
# can be told apart.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "bench: no free X display number"; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display" QT_QPA_PLATFORM=xcb QUILLON_BENCH_XSERVER_PID="$xvfb_pid"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$scratch}"

echo "== machine =="
date
echo "cores: $(nproc)"
lscpu | head -15
echo "kernel: $(uname -r)"
grep -E '^(PRETTY_NAME)=' /etc/os-release || true
echo "Qt: $(qtpaths6 --qt-version 2>/dev/null || echo unknown)"
echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"

bin="$build/bin"
"$bin/quillon-bench-poll-baseline" --results "$scratch/baseline.txt"
"$bin/quillon-bench-terminal" --baseline "$scratch/baseline.txt" --results "$scratch/terminal.txt"
# The session log is on by default; its floods once more without it, for comparison.
"$bin/quillon-bench-terminal" --log off --only flood-text,flood-hex,flood-binary-text,flood-binary-hex \
  --results "$scratch/terminal-log-off.txt"
"$bin/quillon-bench-module-test" --results "$scratch/module-test.txt"
echo
echo "load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

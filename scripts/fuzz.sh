#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for FUZZ_SECONDS seconds
# (default 30), starting from a scratch copy of its seed corpus so the repository stays as it is.
# Exits non-zero if any target crashes, trips a sanitizer, times out on an input or runs out of
# memory; the failing inputs are kept in fuzz-out/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-30}"
build="build-fuzz"
targets=(fuzz_build_submit_pdu fuzz_decode_pdu_reply fuzz_decode_text_reply)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLON_FUZZ=ON -DQUILLON_TESTS=ON -DQUILLON_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failed=()
for target in "${targets[@]}"; do
  work="$scratch/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp tests/fuzz/corpus/"$target"/* "$work/corpus/"
  echo "== $target: ${seconds}s =="
  if "$build/bin/$target" "$work/corpus" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/artifacts/" -print_final_stats=1 >"$work/log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$work/log" || true
  else
    failed+=("$target")
    tail -n 60 "$work/log"
    mkdir -p "fuzz-out/$target"
    cp "$work/log" "fuzz-out/$target/log"
    cp -r "$work/artifacts/." "fuzz-out/$target/" 2>/dev/null || true
    echo "fuzz: $target failed; log and inputs in fuzz-out/$target/"
  fi
done

if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: all targets ran ${seconds}s without a finding"

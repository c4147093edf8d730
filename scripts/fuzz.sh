#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time.
# Usage: fuzz.sh [seconds per target]
# A crashing input is kept as build/fuzz/crash-<target>-*; its log is shown.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
seconds=${1:-30}
cmake --preset fuzz
cmake --build --preset fuzz
shopt -s nullglob
for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
  [[ -x $fuzzer ]] || continue
  name=$(basename "$fuzzer")
  log=build/fuzz/$name.log
  echo "== $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build/fuzz/crash-$name-" >"$log" 2>&1; then
    tail -n 40 "$log"
    exit 1
  fi
  tail -n 3 "$log"
done

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time.
# Usage: fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
seconds=${1:-30}
cmake --preset fuzz
cmake --build --preset fuzz
shopt -s nullglob
for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
  [[ -x $fuzzer ]] || continue
  echo "== $(basename "$fuzzer") for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 2>&1 | tail -n 3
done

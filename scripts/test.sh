#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. With --sanitize it runs
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
# with --core it builds and tests the core alone, with Qt out of reach.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
case ${1:-} in
  '') preset=default ;;
  --sanitize) preset=sanitize ;;
  --core) preset=core ;;
  *) echo "usage: $0 [--sanitize | --core]" >&2; exit 2 ;;
esac
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 300

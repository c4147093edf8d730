#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. With --sanitize it runs
# the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
preset=default
[[ ${1:-} == --sanitize ]] && preset=sanitize
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 300

#!/usr/bin/env bash
# Walks the wizard under Xvfb and saves a PNG of each window state and of the
# processing-error dialog.
# Usage: screenshots.sh [output folder]   (default screenshots/out)
# KAVORA_BUILD_DIR chooses the build directory (default build/default).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-screenshots/out}
build=${KAVORA_BUILD_DIR:-build/default}
if [[ ! -f $build/build.ninja ]]; then
  ./scripts/install-deps.sh
  cmake --preset default
fi
cmake --build "$build" --target wizard_screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/wizard/wizard_screenshots" "$out"

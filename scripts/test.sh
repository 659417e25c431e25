#!/usr/bin/env bash
# Builds and runs every test twice: the optimised build, then the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

for preset in default asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== ${preset}: test"
  ctest --preset "$preset" --parallel 2 --timeout 600
done

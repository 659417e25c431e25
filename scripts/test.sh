#!/usr/bin/env bash
# Builds and runs every test: the optimised build (widget tests offscreen, then the progress
# window and the folder tree's operations once more on a real X server under Xvfb), then the
# sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

build_and_test() {
  echo "== $1: configure and build"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
  echo "== $1: test"
  ctest --preset "$1" --parallel 2 --timeout 600
}

build_and_test default
echo "== default: progress window and folder tree under Xvfb"
xvfb-run -a -s "-screen 0 1280x800x24" env QT_QPA_PLATFORM=xcb \
  build/default/tests/ui/qv_ui_tests --gtest_filter='ConvProg*:FileTreeOps*' --gtest_brief=1
build_and_test asan

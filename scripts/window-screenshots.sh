#!/usr/bin/env bash
# Starts the desktop window under Xvfb on the sample question bank, in a home folder of its own,
# and saves screenshots of the grid with the bank, the test creation dialog and the print
# preview of a 40-a-page test into docs/screenshots/ (or the folder given).
#   BUILD_DIR  the build folder with tarquel-window-screenshots (default build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-win}
out=${1:-docs/screenshots}
cmake --build "$build" --target tarquel-window-screenshots
mkdir -p "$out"
# A sanitized build reports the desktop bus library's own allocations at exit as leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/app/tarquel-window-screenshots" "$(realpath "$out")"

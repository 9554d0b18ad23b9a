#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine, builds the release tree in build/, and runs the
# main job: a test of 40 questions a page from the bundled sample bank, written to out/ as a
# workbook and a PDF.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build

mkdir -p out
build/app/tarquel make-test --sample --per-page 40 -o out/sample-test.xlsx \
  --pdf out/sample-test.pdf

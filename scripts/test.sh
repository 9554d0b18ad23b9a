#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors)
# in build-test/, checks the formatting, and runs every test under CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARQUEL_SANITIZE=ON \
  -DTARQUEL_BUILD_BENCH=OFF
cmake --build build-test
ctest --test-dir build-test --output-on-failure -j "$(nproc)"

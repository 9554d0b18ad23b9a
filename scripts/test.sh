#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors)
# in build-test/, checks the formatting, runs each fuzz target briefly from its seeds
# (FUZZ_SECONDS, default 10; 0 skips them), and runs every test under CTest. The benchmarks are
# built too, so that they keep compiling, but not run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-format.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARQUEL_SANITIZE=ON \
  -DTARQUEL_BUILD_BENCH=ON
cmake --build build-test
fuzz_seconds=${FUZZ_SECONDS:-10}
if [ "$fuzz_seconds" != 0 ]; then
  if ! FUZZ_SECONDS=$fuzz_seconds scripts/fuzz.sh > build-test/fuzz.log 2>&1; then
    tail -n 60 build-test/fuzz.log
    echo "a fuzz target failed; its log is build-test/fuzz.log" >&2
    exit 1
  fi
  grep -E '^(== |Done )' build-test/fuzz.log
fi
ctest --test-dir build-test --output-on-failure -j "$(nproc)"

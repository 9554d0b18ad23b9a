#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a short while
# (FUZZ_SECONDS, default 20) from its seed corpus under tests/fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTARQUEL_FUZZ=ON -DTARQUEL_SANITIZE=ON -DTARQUEL_BUILD_BENCH=OFF > /dev/null
for source in tests/fuzz/*_fuzz.cc; do
  name=$(basename "$source" .cc)
  cmake --build build-fuzz --target "$name"
  corpus=tests/fuzz/corpus/${name%_fuzz}
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/
  echo "== $name for ${seconds}s"
  build-fuzz/tests/"$name" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 "$work"
  rm -rf "$work"
done

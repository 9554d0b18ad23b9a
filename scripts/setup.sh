#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and builds the release tree in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build

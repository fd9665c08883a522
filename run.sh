#!/usr/bin/env bash
# Builds Quirvane (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target quirvane
exec build-release/app/quirvane "$@"

#!/usr/bin/env bash
# Builds every test (debug, AddressSanitizer + UndefinedBehaviorSanitizer) and runs them all.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BENCH=OFF >/dev/null
cmake --build build-test -j"$(nproc)"
cd build-test
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest -j"$(nproc)" --output-on-failure "$@"

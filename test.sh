#!/usr/bin/env bash
# Builds every test (debug, AddressSanitizer + UndefinedBehaviorSanitizer) and runs them all.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/deps.sh
# The include rules of the layers first: a broken one stops before the build.
python3 scripts/check-includes.py
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BENCH=OFF >/dev/null
cmake --build build-test -j"$(nproc)"
(cd build-test &&
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest -j"$(nproc)" --output-on-failure "$@")
# Each test program once more as a whole, shuffled (the seed is printed): a
# program makes many controls in one process, CTest one test per process.
# Only for the full suite, not for a selection passed to ctest.
[ $# -eq 0 ] && bash scripts/run-whole.sh build-test
# The thread tests (tests/thread-tests.txt) again under ThreadSanitizer, in a
# build tree of their own that holds only the test files with thread tests.
thread_tests=$(sed -n 's/^\([A-Za-z][A-Za-z0-9_]*\)\(\.\([A-Za-z0-9_]*\)\)\{0,1\}$/^\1\\.\3/p' tests/thread-tests.txt |
  paste -sd'|')
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread -DQV_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target qv_thread_tests
cd build-tsan
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest -j"$(nproc)" --output-on-failure -R "$thread_tests" "$@"

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
# The thread tests again under ThreadSanitizer, in a build tree of their own
# that holds only the test programs with threads.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread -DQV_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target classlib_tests datatree_tests shell_tests text_tests window_tests storage_tests skinctrls_tests catalogue_tests
cd build-tsan
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest -j"$(nproc)" --output-on-failure -R '^(Thread|SyncObjs|ValidationThreads|ShellChangeThreads|ShellTreeThreads|ShellReadAheadThreads|ThreadedText|FedScan|FedAdd|AheadBatches|EngineAdd|SearchWorker|SearchWorkerEngine|BrowseReadAheadThreads)\.|^Queue\.(CrossThread|SendTimeout|AThread)|^BaseTest\.LargeFlush|^NodeStore\.LargeCounts' "$@"

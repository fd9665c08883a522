#!/usr/bin/env bash
# Runs every test program of a build tree once as a whole, its tests in a
# shuffled order, next to each other: programs make many windows, trees and
# forms in one process, which CTest (one process per test) never does.
# Usage: scripts/run-whole.sh <build tree>; QV_SHUFFLE_SEED=<n> repeats an order.
set -euo pipefail
build="$(cd "${1:?usage: scripts/run-whole.sh <build tree>}" && pwd)"
seed="${QV_SHUFFLE_SEED:-$(( (RANDOM * 32768 + RANDOM) % 99999 + 1 ))}"
logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
mapfile -t programs < <(find "$build/tests" -name '*_tests' -type f -executable | sort)
echo "Whole-program runs of ${#programs[@]} test programs, shuffled with seed $seed" \
  "(QV_SHUFFLE_SEED=$seed repeats the order)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
printf '%s\n' "${programs[@]}" | xargs -P"$(nproc)" -I{} sh -c '
  p="$1"; log="$2/$(basename "$p").log"
  start=$(date +%s)
  if (cd "$(dirname "$p")" && "$p" --gtest_shuffle --gtest_random_seed="$3") >"$log" 2>&1; then
    echo "  passed: $(basename "$p") ($(( $(date +%s) - start )) s)"
  else
    echo "  FAILED: $(basename "$p") (seed $3)"; touch "$log.failed"
  fi' sh {} "$logs" "$seed"
failed=0
for f in "$logs"/*.failed; do
  [ -e "$f" ] || continue
  log="${f%.failed}"
  echo "---- $(basename "$log" .log), seed $seed"
  # The failures with their values, or the end of the log after a crash.
  if grep -q '^\[  FAILED  \]' "$log"; then
    grep -E -A6 ': Failure$' "$log" | head -80
    grep -E '^\[  FAILED  \]' "$log" | sort -u
  else
    tail -40 "$log"
  fi
  failed=1
done
exit "$failed"

#!/usr/bin/env bash
# Checks that C++ files are formatted as .clang-format says (Debian's
# clang-format package). With no argument every tracked C++ file is checked;
# with a git revision only the C++ files changed since it (e.g. origin/main).
# Lists each file that differs and exits 1; `clang-format -i <file>` fixes it.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed (apt-get install clang-format)"; exit 2; }
if [ $# -gt 0 ]; then
  mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$1" -- '*.cpp' '*.h')
else
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
fi
[ ${#files[@]} -eq 0 ] && exit 0
bad=()
while IFS= read -r f; do bad+=("$f"); done < <(
  printf '%s\0' "${files[@]}" | xargs -0 -P"$(nproc)" -n 20 sh -c '
    for f; do clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh | sort)
if [ ${#bad[@]} -gt 0 ]; then
  printf '%s\n' "${bad[@]}"
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format; run clang-format -i on them"
  exit 1
fi
echo "check-format: ${#files[@]} file(s) formatted"

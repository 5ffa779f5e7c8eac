#!/usr/bin/env bash
# Formats the C++ sources with .clang-format, or with --check lists the files that differ.
#   format.sh [--check]
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src tests bench resources -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)
if [ "${1:-}" != "--check" ]; then
  exec clang-format -i "${files[@]}"
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf '%s\n' "${bad[@]}"
  echo "${#bad[@]} file(s) not formatted; fix with: make format"
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format says"

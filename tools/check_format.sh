#!/usr/bin/env bash
# Lists the tracked C and C++ sources whose formatting differs from
# .clang-format and fails when there is any. Run from anywhere in the tree;
# to reformat instead:  git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(git -C "$(dirname "$0")" rev-parse --show-toplevel)"
format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
  echo "check_format: $format not found (Debian package clang-format)" >&2
  exit 2
fi
differ=()
while IFS= read -r -d '' file; do
  if ! "$format" --dry-run -Werror "$file" >/dev/null 2>&1; then differ+=("$file"); fi
done < <(git ls-files -z -- '*.c' '*.cpp' '*.h')
if [ ${#differ[@]} -gt 0 ]; then
  printf '%s\n' "${differ[@]}"
  echo "check_format: ${#differ[@]} file(s) differ from .clang-format" >&2
  exit 1
fi
echo "check_format: every C and C++ source follows .clang-format"

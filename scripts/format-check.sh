#!/usr/bin/env bash
# Checks that every C++ file of the repository is as clang-format leaves it
# with the repository's .clang-format; names the files that are not, and
# how to mend them.
#   scripts/format-check.sh
source "$(dirname "$0")/common.sh"
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || skip "clang-format is not installed (apt-get install clang-format)"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ "${#unformatted[@]}" -gt 0 ]; then
  printf 'not formatted: %s\n' "${unformatted[@]}"
  fail "${#unformatted[@]} of ${#files[@]} files are not formatted: run clang-format -i on them"
fi
echo "format: all ${#files[@]} files as clang-format leaves them"

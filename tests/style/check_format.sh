#!/usr/bin/env bash
# Fails when clang-format, with the repository's .clang-format, would change a C++ file of ours.
#
#   check_format.sh SOURCE_ROOT
set -euo pipefail
root=$1
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 1; }

status=0
while IFS= read -r -d '' file; do
  if ! clang-format --style=file --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "${file#"$root"/}: not formatted (clang-format -i fixes it)"
    status=1
  fi
done < <(find "$root/src" "$root/tools" "$root/tests" "$root/bench" "$root/fuzz" \
  \( -name '*.cpp' -o -name '*.h' \) -print0)
exit $status

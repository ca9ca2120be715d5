#!/usr/bin/env bash
# Fails when a file outside the Qt host (src/qt) and the program's main includes a Qt Widgets
# header: the system's code and the other hosts must build without the widget toolkit.
#
#   check_widgets_includes.sh SOURCE_ROOT QT_WIDGETS_INCLUDE_DIR
set -euo pipefail
root=$1
widgets=$2
[ -d "$widgets" ] || { echo "no Qt Widgets headers at $widgets" >&2; exit 1; }

status=0
while IFS= read -r -d '' file; do
  case "$file" in
    "$root"/src/qt/* | "$root"/src/main.cpp) continue ;;
  esac
  while IFS= read -r header; do
    if [ -e "$widgets/$header" ] || [[ "$header" == QtWidgets/* ]]; then
      echo "${file#"$root"/}: includes the Qt Widgets header <$header>"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file")
done < <(find "$root/src" "$root/tools" "$root/bench" "$root/fuzz" -name '*.cpp' -print0 -o -name '*.h' -print0)
exit $status

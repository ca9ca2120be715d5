#!/usr/bin/env bash
# Fails on an include in src/ that the table of allowed folder -> folder includes does not allow:
# a header of a folder the including file's folder may not reach, a relative include, a quoted
# include that names no folder, and a file in a folder that has no row. In tests/, a test reaches
# what several test folders share through tests/support, never another test folder by "../".
#
#   check_includes.sh SOURCE_ROOT TABLE
set -euo pipefail
root=$1
table=$2
[ -f "$table" ] || { echo "no table at $table" >&2; exit 1; }

# Each row is "folder: folder folder ..."; `known` holds every folder the table names.
declare -A allowed=()
declare -A known=()
while IFS= read -r line; do
  line=${line%%#*}
  [[ "$line" == *:* ]] || continue
  folder=$(echo "${line%%:*}" | xargs)
  allowed[$folder]=" $(echo "${line#*:}" | xargs) "
  known[$folder]=1
  for target in ${allowed[$folder]}; do
    known[$target]=1
  done
done < "$table"

status=0
report() {
  echo "$1: $2 (${table#"$root"/})"
  status=1
}

while IFS= read -r -d '' file; do
  relative=${file#"$root"/src/}
  if [[ "$relative" == */* ]]; then
    folder=${relative%%/*}
  else
    folder=${relative%.*}  # src/main.cpp is the row `main`
  fi
  if [ -z "${allowed[$folder]+set}" ]; then
    report "src/$relative" "the folder $folder has no row in the table"
    continue
  fi
  number=0
  while IFS= read -r line; do
    number=$((number + 1))
    [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]*)[\"\>] ]] || continue
    quote=${BASH_REMATCH[1]}
    header=${BASH_REMATCH[2]}
    where="src/$relative:$number"
    first=${header%%/*}
    if [[ "$header" != */* ]]; then
      # A quoted header without a folder can only be a neighbour of the file.
      if [ "$quote" = '"' ] && [ ! -e "$(dirname "$file")/$header" ]; then
        report "$where" "includes \"$header\", which names no folder"
      fi
      continue
    fi
    if [[ "/$header/" == */../* || "/$header/" == */./* || "$header" == /* ]]; then
      report "$where" "includes \"$header\" by a relative path; headers are reached as \"folder/header.h\""
      continue
    fi
    if [ -z "${known[$first]+set}" ]; then
      [ "$quote" = '"' ] && report "$where" "includes \"$header\", whose folder $first the table does not know"
      continue  # a system or third-party header such as <QtGui/QImage>
    fi
    if [ "$first" != "$folder" ] && [[ "${allowed[$folder]}" != *" $first "* ]]; then
      report "$where" "includes $header: $folder may not include $first"
    fi
  done < "$file"
done < <(find "$root/src" \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

while IFS= read -r match; do
  report "${match#"$root"/}" "includes across test folders; shared test code lives in tests/support"
done < <(grep -rnE --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' \
  "$root/tests" | cut -d: -f1,2)
exit $status

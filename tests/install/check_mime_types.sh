#!/usr/bin/env bash
# check_mime_types.sh DESKTOP_FILE EXTENSION...
# Every media type in the desktop entry's MimeType key must be one that shared-mime-info knows
# (a type or an alias of one), and every extension the program opens must map to a listed type,
# so that file managers offer Plivora for exactly the files it reads.
set -euo pipefail

desktop=$1
shift
mime=${PLIVORA_MIME_DIR:-/usr/share/mime}
for f in types aliases globs2; do
    if [ ! -r "$mime/$f" ]; then
        echo "check_mime_types: $mime/$f missing: shared-mime-info is not installed" >&2
        exit 1
    fi
done

listed=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n' | sed '/^$/d')
if [ -z "$listed" ]; then
    echo "check_mime_types: $desktop has no MimeType key" >&2
    exit 1
fi

failures=0
for type in $listed; do
    if ! grep -qxF "$type" "$mime/types" &&
        ! awk -v alias="$type" '$1 == alias { found = 1 } END { exit !found }' "$mime/aliases"; then
        echo "unknown media type in MimeType: $type" >&2
        failures=$((failures + 1))
    fi
done

# globs2 lines read weight:type:glob; the first match for a glob has the highest weight.
for extension in "$@"; do
    type=$(awk -F: -v glob="*.$extension" '$3 == glob { print $2; exit }' "$mime/globs2")
    if [ -z "$type" ]; then
        echo "shared-mime-info has no type for *.$extension" >&2
        failures=$((failures + 1))
    elif ! grep -qxF "$type" <<<"$listed"; then
        echo "*.$extension is $type, which MimeType does not list" >&2
        failures=$((failures + 1))
    fi
done

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "check_mime_types: $(wc -l <<<"$listed") media types known, $# extensions covered"

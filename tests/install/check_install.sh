#!/usr/bin/env bash
# check_install.sh BUILD_DIR APP_ID VERSION
# Installs the build into a scratch DESTDIR under the prefix /usr, as a package would, and checks
# that exactly the expected files land where desktops look for them, that the icons have the size
# of their folder, and that the desktop entry and the AppStream data name files that were installed.
set -euo pipefail

build=$1
id=$2
version=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr

failures=0
fail() {
    echo "check_install: $*" >&2
    failures=$((failures + 1))
}

icon_sizes=(16 32 48 64 128 256)
expected=(
    "bin/plivora"
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/doc/plivora/LICENSE"
)
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

# Exactly these files: a missing one breaks the desktop, an unexpected one would ship in the package.
actual=$(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
    fail "installed files differ from the expected list:"
    diff <(echo "$wanted") <(echo "$actual") | sed -n 's/^[<>]/  &/p' >&2 || true
fi
if [ -n "$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ]; then
    fail "files installed outside the prefix: $(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)"
fi

[ -x "$usr/bin/plivora" ] || fail "bin/plivora is not executable"

# A PNG file holds its width and height as big-endian 32-bit numbers at bytes 16 to 23.
for size in "${icon_sizes[@]}"; do
    icon=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$icon" ] || continue
    if [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        fail "$icon is not a PNG file"
        continue
    fi
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "the ${size}x${size} icon is ${width}x${height}"
done

desktop=$usr/share/applications/$id.desktop
if [ -f "$desktop" ]; then
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
    # A file manager's "Open With" passes the chosen file as one local path (%f): the program
    # takes one file or folder and no URLs.
    [ "${exec_line#* }" = "%f" ] || fail "Exec=$exec_line does not pass the chosen file as %f"
    [ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "Icon= is not $id"
fi

metainfo=$usr/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the AppStream launchable is not $id.desktop"
    grep -q '<binary>plivora</binary>' "$metainfo" || fail "the AppStream data provides no binary plivora"
    # The newest release comes first; it must be the version the build and the package carry.
    newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
    [ "$newest" = "$version" ] || fail "the newest AppStream release is '$newest', the project is $version"
fi

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "check_install: ${#expected[@]} files installed and checked"

#!/usr/bin/env bash
# Builds the Debian package of Plivora from a Release build and prints the path of the .deb file
# (alone on standard output; the build talks on standard error).
# Install it with: sudo apt-get install ./plivora_<version>_<architecture>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh >&2

build=${PLIVORA_PACKAGE_BUILD:-build-package}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLIVORA_SANITIZE=OFF \
    -DPLIVORA_BUILD_TESTS=OFF -DPLIVORA_BUILD_BENCH=OFF -DPLIVORA_BUILD_FUZZERS=OFF >&2
cmake --build "$build" -j "$jobs" >&2
# Only the .deb files that this run makes are reported, not older ones left in the folder.
rm -f "$build"/plivora_*.deb
(cd "$build" && cpack -G DEB >&2)

shopt -s nullglob
debs=("$PWD/$build"/plivora_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package: expected one .deb in $build, found ${#debs[@]}" >&2
    exit 1
fi
echo "${debs[0]}"

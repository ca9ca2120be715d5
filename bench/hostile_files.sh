#!/usr/bin/env bash
# Hostile and large pictures in the real window: peak memory shown fitted, read ahead and in View
# All, how long the window goes without answering during their loads, and how soon a newer
# choice made during a load is on screen (see bench/hostile_files.py for what is measured and
# the goals).
#
#   bench/hostile_files.sh [--files recording.gif,...] [--output DIR]
#                                     (BUILD_DIR=... to choose the release tree)
#
# Builds the program and the picture maker in a release tree, then runs the measurements on a
# private X desktop: three minutes or less on two cores.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPLIVORA_SANITIZE=OFF -DPLIVORA_BUILD_TESTS=OFF -DPLIVORA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target plivora bench_make_hostile_files -j2 >/dev/null
exec python3 "$repo/bench/hostile_files.py" --program "$build/src/plivora" \
  --maker "$build/bench/bench_make_hostile_files" --output "$build/hostile-files" "$@"

#!/usr/bin/env bash
# Starts the program in a folder of many pictures and measures what a user waits for: the time
# from the start until the main window is on screen with its lists filled, and the file-status
# calls made on the folder's entries (a network share pays a round trip for each).
#
#   bench/large_folder_start.sh        (FILES=... pictures, default 10000; RUNS=... starts, default 5;
#                                       BUILD_DIR=... the release tree)
#
# Goals: the window within 0.3 s, and at most one file-status call per entry.
# Runs under its own Xvfb with openbox when no display is set.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
files=${FILES:-10000}
runs=${RUNS:-5}

source "$(dirname "$0")/install_packages.sh"
missing=()
command -v strace >/dev/null || missing+=(strace)
command -v xdotool >/dev/null || missing+=(xdotool)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v openbox >/dev/null || missing+=(openbox)
install_packages "${missing[@]}"

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPLIVORA_SANITIZE=OFF -DPLIVORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target plivora -j2 >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The program is copied so its settings file lands in the scratch folder.
mkdir -p "$work/program" "$work/pictures"
cp "$build/src/plivora" "$work/program/plivora"
# A 1 x 1 GIF under every name: the listing, not the decoding, is measured.
printf 'GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b' \
  >"$work/one.gif"
for ((i = 0; i < files; i++)); do
  printf -v name 'picture%05d.gif' "$i"
  ln "$work/one.gif" "$work/pictures/$name"
done

if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp >"$work/display" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$work/display")"
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi

# Milliseconds from the start until the main window is mapped: it is shown once its lists are
# filled.
start_ms() {
  local t0 t1
  t0=$(date +%s%N)
  (cd "$work/pictures" && exec "$work/program/plivora") >/dev/null 2>&1 &
  local pid=$!
  until xdotool search --onlyvisible --name '^Plivora - Image Viewer$' >/dev/null 2>&1; do
    sleep 0.005
  done
  t1=$(date +%s%N)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo $(((t1 - t0) / 1000000))
}

start_ms >/dev/null # warm the caches once
times=()
for ((r = 0; r < runs; r++)); do times+=("$(start_ms)"); done
sorted=$(printf '%s\n' "${times[@]}" | sort -n | tr '\n' ' ')
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")

# File-status calls whose path lies in the picture folder, over one whole start.
(cd "$work/pictures" &&
  timeout 20 strace -f -qq -e trace=%stat -o "$work/strace.log" "$work/program/plivora" \
    >/dev/null 2>&1 &)
until xdotool search --onlyvisible --name '^Plivora - Image Viewer$' >/dev/null 2>&1; do sleep 0.05; done
sleep 0.5
pkill -f "$work/program/plivora" || true
sleep 0.5
calls=$(grep -c "$work/pictures/" "$work/strace.log" || true)

echo "folder of $files pictures"
echo "window on screen with its lists: median ${median} ms (runs: ${sorted}ms)"
echo "file-status calls on the folder's entries during a start: ${calls}"

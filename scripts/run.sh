#!/usr/bin/env bash
# Installs what is missing, builds Plivora and starts it. Without a display it runs the program
# under a virtual display with a window manager, saves a screenshot, and closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${PLIVORA_BUILD:-build-release}
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIVORA_BUILD_TESTS=OFF
cmake --build "$build" -j "$jobs" --target plivora

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/src/plivora"
fi

display=:$((90 + RANDOM % 100))
shot="$PWD/$build/screenshot.png"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
DISPLAY=$display openbox >/dev/null 2>&1 &
sleep 1
DISPLAY=$display "$build/src/plivora" &
viewer=$!
for _ in $(seq 100); do
    DISPLAY=$display xdotool search --name "Plivora - Image Viewer" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
DISPLAY=$display import -window root "$shot"
echo "run: screenshot saved to $shot"
# Close the window politely, as a user would, so the settings file is written.
DISPLAY=$display wmctrl -c "Plivora - Image Viewer" || true
for _ in $(seq 50); do
    kill -0 $viewer 2>/dev/null || break
    sleep 0.1
done
kill $viewer 2>/dev/null || true

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Plivora need, skipping the ones
# already present. Runs apt-get as root, or through sudo for other users.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgif-dev libjpeg-dev liblcms2-dev libxcb1-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool wmctrl x11-utils imagemagick xclip
  fonts-dejavu-core
  dpkg-dev desktop-file-utils appstream shared-mime-info
  clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

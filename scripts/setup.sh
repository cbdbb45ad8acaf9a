#!/usr/bin/env bash
# Installs every Debian 12 package Quorvane needs to build, test and run.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-svg-dev qt6-qpa-plugins libgl-dev
  libsndfile1-dev libsdl2-dev libsamplerate0-dev libxcb1-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool trayer x11-utils sox
  dpkg-dev lintian desktop-file-utils appstream openbox dbus-daemon dbus-bin weston qt6-wayland
  at-spi2-core libglib2.0-bin
  fonts-liberation fonts-dejavu-core
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

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

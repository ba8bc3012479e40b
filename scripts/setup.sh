#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Zorble needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-multimedia-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev liblz4-dev zlib1g-dev
  libavahi-client-dev avahi-daemon avahi-utils dbus iproute2 util-linux
  scowl sox espeak-ng
  xvfb xauth xdotool imagemagick fonts-dejavu-core
  desktop-file-utils appstream librsvg2-bin dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

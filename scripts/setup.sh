#!/usr/bin/env bash
# Installs every Debian package Kinetrope needs to build, play and test. Idempotent and quiet:
# on a machine that has them all it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  libwxgtk3.2-dev libgl-dev libglu1-mesa-dev libegl-dev libgles-dev
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev libfontconfig-dev fonts-liberation
  xvfb xauth xdotool x11-apps
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenblas-dev libeigen3-dev
  libjpeg-dev libpng-dev zlib1g-dev libmp3lame-dev
  python3 unzip time openarena-081-maps
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

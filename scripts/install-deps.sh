#!/usr/bin/env bash
# Installs, from Debian 12's own packages, whatever the build, the program and
# its tests need and this machine lacks. Safe to run again: it only asks apt
# for the packages that are missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-multimedia-dev
  qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng-data
  libbenchmark-dev liblapack-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool imagemagick dbus dbus-x11
  pulseaudio pulseaudio-utils sox
  clang libclang-rt-14-dev
  python3-pyatspi at-spi2-core openbox x11-utils
  dpkg-dev file desktop-file-utils appstream lintian
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs, from Debian 12's own packages, what this machine lacks for:
#
#   scripts/install-deps.sh programa   building and running Veltrana
#   scripts/install-deps.sh pruebas    that, and building and running every
#                                      test and benchmark
#   scripts/install-deps.sh fuzz       that, and clang with libFuzzer, for
#                                      searching new inputs (tests/fuzz)
#
# Safe to run again: it only asks apt for the packages that are missing.
set -euo pipefail

PROGRAMA=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng-data libpulse-dev libxcb1-dev
  liblapack-dev liblapacke-dev
  fonts-liberation fonts-dejavu-core
)
PRUEBAS=(
  # benchmarks: Google Benchmark, the X client library
  libbenchmark-dev libx11-dev
  # a desktop of their own: X server, window manager, session bus,
  # accessibility bus, keys, screenshots
  xvfb openbox dbus at-spi2-core python3-pyatspi xdotool x11-utils imagemagick
  # another program to offer the clipboard
  xclip
  # a sound server to play into
  pulseaudio pulseaudio-utils
  # a screen reader to listen with (scripts/orca-sesion.sh): Orca, its
  # speech server and voice, the settings it reads, the Spanish locale's source
  orca speech-dispatcher speech-dispatcher-espeak-ng
  libglib2.0-bin dconf-gsettings-backend locales
  # the Debian package and its checks
  dpkg-dev file desktop-file-utils appstream lintian
)
FUZZ=(clang libclang-rt-14-dev)

case "${1:-pruebas}" in
  programa) packages=("${PROGRAMA[@]}") ;;
  pruebas) packages=("${PROGRAMA[@]}" "${PRUEBAS[@]}") ;;
  fuzz) packages=("${PROGRAMA[@]}" "${PRUEBAS[@]}" "${FUZZ[@]}") ;;
  *) echo "usage: $0 [programa|pruebas|fuzz]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

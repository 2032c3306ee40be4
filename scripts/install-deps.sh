#!/usr/bin/env bash
# Installs every Debian package that building, testing and running qlnrec needs.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
PKGS=(
  build-essential cmake ninja-build pkg-config git clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-serialport-dev
  libqt6svg6-dev libqt6opengl6-dev libgl1-mesa-dev
  qt6-qpa-plugins libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth x11-utils imagemagick poppler-utils
  sox libsox-fmt-all ffmpeg espeak-ng socat python3
  fonts-noto-cjk fonts-dejavu-core
  xdg-utils binutils dbus-daemon
  pulseaudio pulseaudio-utils
  clang libclang-rt-14-dev
  librsvg2-bin appstream desktop-file-utils dpkg-dev mmdebstrap
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

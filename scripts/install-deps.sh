#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking Brevanto needs.
# Safe to run more than once; needs root (or sudo) and the Debian package registry.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-svg-dev
  libqt6svg6 libqt6charts6 qt6-qpa-plugins
  libqt6opengl6-dev libxkbcommon-dev
  libbenchmark-dev clang-format clang libclang-rt-14-dev
  xvfb xauth x11-utils fonts-dejavu-core fonts-liberation
  dpkg-dev file desktop-file-utils appstream shared-mime-info poppler-utils
)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

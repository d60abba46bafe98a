#!/usr/bin/env bash
# Installs every Debian 12 package Photo Kestry needs to build, test and run.
# Quick when everything is already there: it asks dpkg first and only calls apt
# for what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins
  libexiv2-dev libheif-dev libheif-examples libraw-dev libtiff-dev
  libgphoto2-dev gphoto2
  libavformat-dev libavcodec-dev libavutil-dev ffmpeg
  libplist-dev libplist-utils
  libimage-exiftool-perl
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev
  xvfb xauth attr
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"

#!/usr/bin/env bash
# Installs every Debian 12 package Photo Kestry needs to build, test and run.
# Quick when everything is already there: it asks dpkg first and only calls apt
# for what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev
  libexiv2-dev libraw-dev libtiff-dev libjpeg62-turbo-dev
  libgphoto2-dev gphoto2
  libavformat-dev libavcodec-dev libavutil-dev ffmpeg
  libplist-dev libplist-utils
  libimage-exiftool-perl
  libsqlite3-dev sqlite3
  libglib2.0-dev libxxhash-dev
  libgtest-dev libgmock-dev
  xvfb xauth attr
  # Drives of other systems, made and mounted through FUSE for the tests: exFAT, FAT, NTFS.
  fuse3 exfatprogs exfat-fuse dosfstools fusefat ntfs-3g
)

# libheif from Debian's bookworm-backports, pinned so that only libheif's own packages come
# from there: Debian 12's libheif 1.15 refuses the HEICs of iOS 17 and later.
HEIF_PACKAGES=(libheif-dev libheif1 libheif-plugin-libde265 libheif-plugin-x265 libheif-examples)
HEIF_MINIMUM=1.18
BACKPORTS_SOURCES=/etc/apt/sources.list.d/photokestry-backports.sources
BACKPORTS_PIN=/etc/apt/preferences.d/photokestry-libheif

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

heif_needed=0
for p in "${HEIF_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    heif_needed=1
  fi
done
heif_version=$(dpkg-query -W -f='${Version}' libheif-dev 2>/dev/null || true)
if [ -z "$heif_version" ] || ! dpkg --compare-versions "$heif_version" ge "$HEIF_MINIMUM"; then
  heif_needed=1
fi

if [ ${#missing[@]} -eq 0 ] && [ "$heif_needed" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# The address this machine already takes bookworm from (a proxy or local mirror included), so
# that backports come the same way. When apt names none, no address is guessed: the machine's
# owner decides where its packages come from.
debian_mirror() {
  local uri
  uri=$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 'Identifier: Packages' 2>/dev/null |
    awk '$1 == "bookworm" || $1 == "stable" { print $2; exit }')
  if [ -z "$uri" ]; then
    {
      echo "apt names no source for Debian 12 (bookworm), so bookworm-backports, where libheif"
      echo "comes from, cannot be added beside it."
      echo "Add the Debian mirror this machine should use for bookworm to apt's sources (a"
      echo "\"deb <mirror> bookworm main\" line in /etc/apt/sources.list, or a .sources file in"
      echo "/etc/apt/sources.list.d/), run \"apt-get update\", then run this script again."
    } >&2
    return 1
  fi
  echo "$uri"
}

if [ "$heif_needed" -eq 1 ]; then
  if [ ! -f "$BACKPORTS_SOURCES" ]; then
    mirror=$(debian_mirror) || exit 1
    printf '%s\n' "Types: deb" "URIs: ${mirror%/}" "Suites: bookworm-backports" \
      "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
      $SUDO tee "$BACKPORTS_SOURCES" > /dev/null
  fi
  if [ ! -f "$BACKPORTS_PIN" ]; then
    printf '%s\n' "Package: libheif1 libheif-dev libheif-plugin-* libheif-examples" \
      "Pin: release n=bookworm-backports" "Pin-Priority: 500" |
      $SUDO tee "$BACKPORTS_PIN" > /dev/null
  fi
  missing+=("${HEIF_PACKAGES[@]}")
fi

echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"
if [ "$heif_needed" -eq 1 ]; then
  heif_version=$(dpkg-query -W -f='${Version}' libheif-dev)
  if ! dpkg --compare-versions "$heif_version" ge "$HEIF_MINIMUM"; then
    echo "libheif $heif_version is older than $HEIF_MINIMUM: bookworm-backports was not reached" >&2
    exit 1
  fi
fi

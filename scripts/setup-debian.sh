#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test Pixvue (Debian 12).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

BACKPORTS=/etc/apt/sources.list.d/bookworm-backports.sources
if [ ! -f "$BACKPORTS" ]; then
  $SUDO tee "$BACKPORTS" >/dev/null <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake pkg-config ninja-build clang clang-format libclang-rt-14-dev \
  qtbase5-dev qttools5-dev qttools5-dev-tools libqt5svg5-dev libqt5x11extras5-dev \
  libexiv2-dev libeasyloggingpp-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev libunwind-dev \
  fonts-wqy-microhei librsvg2-bin xvfb xauth xcompmgr imagemagick libimage-exiftool-perl \
  hyperfine desktop-file-utils appstream dpkg-dev file python3 x11-apps faketime xdotool \
  lintian binutils man-db dbus-daemon
$SUDO apt-get install -y -q --no-install-recommends -t bookworm-backports \
  libheif-dev libheif1 libheif-plugin-libde265 libheif-plugin-ffmpegdec libheif-plugin-x265 \
  libheif-plugin-dav1d libheif-plugin-aomenc \
  libheif-examples

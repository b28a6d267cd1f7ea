#!/usr/bin/env bash
# Installs every Debian package Lirra needs to build, run and test.
# Idempotent: apt-get install skips what is already there.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root (apt-get needs it)" >&2
  exit 1
fi

BUILD_PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev libxkbcommon-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libopenmpt-dev libmpg123-dev libvorbis-dev libsoxr-dev libpulse-dev libtag1-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libprojectm-dev libcurl4-openssl-dev libcdio-paranoia-dev libxcb1-dev libxcb-shm0-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgl-dev libx11-dev
)
RUN_PKGS=(
  xvfb x11-utils xdotool imagemagick weston xwayland qt6-wayland
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber ffmpeg
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-gl timgm6mb-soundfont
  projectm-data dvdauthor gstreamer1.0-plugins-ugly
  fonts-noto-cjk qt6-translations-l10n dbus-daemon desktop-file-utils appstream
)

export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${BUILD_PKGS[@]}" "${RUN_PKGS[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillmark need.
# Safe to run again: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-wayland
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
  libmpv-dev
  libgtest-dev libgmock-dev
  ffmpeg dvdauthor vcdimager
  xvfb xauth
  # A desktop for the drag test: a window manager and a pointer to drag with.
  xdotool openbox
  # The install tests' validators, and dpkg-shlibdeps for `cpack -G DEB`.
  desktop-file-utils appstream dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Quillmark needs these Debian packages: ${missing[*]}" >&2
  echo "Install them once with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

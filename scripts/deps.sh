#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo run need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang-format
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  qt6-multimedia-dev libqt6svg6 qt6-image-formats-plugins
  libcurl4-openssl-dev libpng-dev zlib1g-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xdotool x11-utils imagemagick sox ffmpeg
  fonts-wqy-microhei shared-mime-info adwaita-icon-theme
  gstreamer1.0-plugins-base
  desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

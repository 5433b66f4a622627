#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, if any is missing.
set -euo pipefail
packages=(g++ cmake make qt6-base-dev qt6-serialport-dev libgl-dev fonts-liberation
  fonts-freefont-ttf dpkg-dev debhelper lintian file desktop-file-utils appstream
  xvfb xdotool xclip x11-utils openbox dbus at-spi2-core orca speech-dispatcher python3-xlib clang
  libclang-rt-14-dev qemu-system-x86 busybox-static picocom)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

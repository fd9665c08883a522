#!/usr/bin/env bash
# Installs the Debian packages Quirvane builds, runs and tests with, when any is missing.
set -euo pipefail
# What the program starts at run time: xdg-open (xdg-utils, with file for the
# page's type) shows the help and opens folders in the file manager, gdbus
# (libglib2.0-bin) asks the file manager for an item's properties.
pkgs=(build-essential cmake pkg-config python3
      libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core fonts-ipafont-gothic
      libx11-dev libxext-dev libxfixes-dev libpixman-1-dev libpng-dev libjpeg62-turbo-dev libicu-dev
      xdg-utils file libglib2.0-bin
      googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool xclip
      openbox python3-gi gir1.2-gtk-3.0 python3-pyqt6)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

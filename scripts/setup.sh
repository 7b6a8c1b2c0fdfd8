#!/bin/sh
# Install what radon needs to build, run and test (Debian; run as root),
# and the packages named as arguments.
set -e
PACKAGES="build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libgtest-dev googletest libbenchmark-dev
  xvfb xdotool x11-apps openbox wmctrl imagemagick xfonts-base python3
  dpkg-dev file desktop-file-utils man-db lintian
  libtiff-dev libpng-dev libmatio-dev libhwy-dev python3-numpy python3-scipy python3-tifffile python3-h5py python3-pil $*"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

#!/bin/sh
# Build the web page BUILD_DIR/radon.html (build-web/radon.html by default)
# with Debian's emscripten, offline: its prebuilt library cache is all the
# build needs.
# usage: scripts/build_web.sh [BUILD_DIR]
set -e
cd "$(dirname "$0")/.."
dir=${1:-build-web}
if ! command -v emcc >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq emscripten
fi
# The packaged emscripten finds its JavaScript tools' modules only here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DRADON_TESTS=OFF -DRADON_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"
echo "built $dir/radon.html"

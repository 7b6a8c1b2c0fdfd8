#!/bin/sh
# Build the web page build-web/radon.html with Debian's emscripten, offline
# (its prebuilt library cache is all the build needs).
set -e
cd "$(dirname "$0")/.."
if ! command -v emcc >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq emscripten
fi
# The packaged emscripten finds its JavaScript tools' modules only here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DRADON_TESTS=OFF -DRADON_BENCHMARKS=OFF >/dev/null
cmake --build build-web -j"$(nproc)"
echo "built build-web/radon.html"

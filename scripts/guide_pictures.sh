#!/bin/sh
# Make the README's pictures with the program itself (no window needed):
# one picture per command, saved by "s" and converted to PNG in docs/guide/.
# usage: scripts/guide_pictures.sh [path/to/radon]
set -e
cd "$(dirname "$0")/.."
RADON=$(realpath "${1:-build/radon}")
out=$(pwd)/docs/guide
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

picture() { # name commands [format]
    rm -f ./*.bmp
    "$RADON" --batch "$2 s" >/dev/null
    convert ./*.bmp -strip "${3:-PNG8}:$out/$1.png"
}

picture original      "h"
picture radon         "r"
picture reconstruction "R"
picture fft           "F R"
picture integral      "i"
picture convolution   "c"
# "a" and "o" draw on the window only; choosing the same grid again writes
# its status line and stores the window's final picture for "s".
picture accumulation  "a {1002}"
picture old           "o {1002}"
picture filter        "f"
picture disk          "{2001} R"
picture box           "{2004} {1004} R"
picture coarse        "{1001} R"
# The lab. Noise has more grey levels and reds than a palette holds.
picture lab-noisy-shepp-logan "{3104} R" PNG24
picture lab-noisy-hann        "{3104} {3004} R" PNG24
picture lab-sinogram          "S" PNG24
picture lab-error             "e" PNG24

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

picture() { # name commands
    rm -f ./*.bmp
    "$RADON" --batch "$2 s" >/dev/null
    convert ./*.bmp -strip "PNG8:$out/$1.png"
}

picture original      "h"
picture radon         "r"
picture reconstruction "R"
picture fft           "F R"
picture integral      "i"
picture convolution   "c"
picture accumulation  "a"
picture old           "o"
picture filter        "f"
picture disk          "{2001} R"
picture box           "{2004} {1004} R"
picture coarse        "{1001} R"

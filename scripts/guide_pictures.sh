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

picture() { # name commands [options]
    name=$1 commands=$2
    shift 2
    rm -f ./*.bmp
    "$RADON" "$@" --batch "$commands s" >/dev/null
    convert ./*.bmp -strip "PNG8:$out/$name.png"
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
# Your own object: the lesson drawing (scripts/lesson_picture.py) scanned.
picture chest-original "h"            --object "$out/chest.png"
picture chest-coarse   "{1001} R"     --object "$out/chest.png"
picture chest-fine     "{1004} R"     --object "$out/chest.png"

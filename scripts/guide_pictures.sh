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

picture() { # name commands [format [options]]
    name=$1 commands=$2 format=${3:-PNG8}
    shift 2
    [ $# -gt 0 ] && shift
    rm -f ./*.bmp
    "$RADON" "$@" --batch "$commands s" >/dev/null
    convert ./*.bmp -strip "$format:$out/$name.png"
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
# The lab. Noise has more grey levels and reds than a palette holds.
picture lab-noisy-shepp-logan "{3104} R" PNG24
picture lab-noisy-hann        "{3104} {3004} R" PNG24
picture lab-sinogram          "S" PNG24
picture lab-error             "e" PNG24
# Iterative reconstruction on the coarse grid, beside "coarse" (FBP). ART
# leaves reds (no positivity): more colours than a palette holds.
picture sart-1      "{1001} I"
picture sart-5      "{1001} I I I I I"
picture convergence "{1001} I I I I I E"
picture art         "{1001} A" PNG24
# Your own object: the lesson drawing (scripts/lesson_picture.py) scanned.
picture chest-original "h"        PNG8 --object "$out/chest.png"
picture chest-coarse   "{1001} R" PNG8 --object "$out/chest.png"
picture chest-fine     "{1004} R" PNG8 --object "$out/chest.png"

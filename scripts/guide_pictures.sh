#!/bin/sh
# Make the README's pictures with the program itself: one picture per
# command, saved by "s" and converted to PNG in docs/guide/; the screens that
# wait for Return are taken from a window under Xvfb.
# usage: scripts/guide_pictures.sh [path/to/radon]
set -e
cd "$(dirname "$0")/.."
RADON=$(realpath "${1:-build/radon}")
repo=$(pwd)
out=$repo/docs/guide
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
# Imperfect scans: the cause in the filtered sinogram, the effect in the reconstruction.
picture artifacts-views-sinogram    "{3202} S" PNG24
picture artifacts-views             "{3202} R" PNG24
picture artifacts-wedge-sinogram    "{3205} S" PNG24
picture artifacts-wedge             "{3205} R" PNG24
picture artifacts-detector-sinogram "{3302} S" PNG24
picture artifacts-detector          "{3302} R" PNG24
picture artifacts-beam-sinogram     "{2001} {3401} S" PNG24
picture artifacts-beam              "{2001} {3401} e" PNG24
picture artifacts-metal-sinogram    "m S" PNG24
picture artifacts-metal             "m R" PNG24
picture artifacts-metal-beam        "{1004} m {3401} R" PNG24
picture artifacts-metal-noise-sinogram "m {3104} S" PNG24
picture artifacts-metal-noise       "m {3104} R" PNG24
# Iterative reconstruction on the coarse grid, beside "coarse" (FBP). ART
# leaves reds (no positivity): more colours than a palette holds.
picture sart-1      "{1001} I"
picture sart-5      "{1001} I I I I I"
picture convergence "{1001} I I I I I E"
# Emission tomography: FBP at three counts, MLEM's iterations at 10^6
# counts, OSEM beside them, the attenuation and its correction.
picture emission-fbp-5       "{3703} R" PNG24
picture emission-fbp-6       "{3702} R" PNG24
picture emission-fbp-7       "{3701} R" PNG24
picture emission-mlem-1      "{3702} L"
picture emission-mlem-5      "{3702} LLLLL"
picture emission-mlem-20     "{3702} LLLLLLLLLLLLLLLLLLLL"
picture emission-mlem-100    "{3702} $(printf 'L%.0s' $(seq 100))"
picture emission-osem-2      "{3702} {3713} LL"
picture emission-convergence "{3703} $(printf 'L%.0s' $(seq 30)) E"
picture emission-attenuated  "{3704} R" PNG24
picture emission-corrected   "{3705} R" PNG24
picture art         "{1001} A" PNG24
# Image quality: the profile of the phantom, and the noise spectra (the
# second screen of "M"; its first, the MTF, waits for Return: taken below).
picture profile           "l"
picture image-quality-nps "M"
# Your own object: the lesson drawing (scripts/lesson_picture.py) scanned.
picture chest-original "h"        PNG8 --object "$out/chest.png"
picture chest-coarse   "{1001} R" PNG8 --object "$out/chest.png"
picture chest-fine     "{1004} R" PNG8 --object "$out/chest.png"

# The fan beam: the three reconstructions, the ring of a weak detector, and
# the rebinned sinogram's reconstruction; the scan's last frame and the
# first two screens of "j" are taken in the window below.
picture fan-full-turn      "{3501} R" PNG24
picture fan-short-scan     "{3502} R" PNG24
picture fan-no-weights     "{3503} R" PNG24
picture fan-ring           "{3501} {3302} R" PNG24
picture fan-rebinned-image "{3501} j" PNG24

# The Fourier slice: its first two screens wait for Return, so they are taken
# in a window under Xvfb, each once the window has held still for a second;
# the third is saved as usual.
picture fourier-direct "z" PNG24
. "$repo/tests/e2e/x_session.sh"
trap 'stop_x; rm -rf "$work"' EXIT
start_x
start_radon
screenshot "$work/before.png"
still() { # the next picture, other than $1, that stays for a second
    for _ in $(seq 60); do
        sleep 1
        screenshot "$work/a.png"
        sleep 1
        screenshot "$work/b.png"
        [ "$(pixels_differing "$work/a.png" "$work/b.png")" = 0 ] &&
            [ "$(pixels_differing "$work/a.png" "$1")" != 0 ] && return
    done
    echo "the window did not hold still" >&2
    exit 1
}
xdotool type --window "$WIN" z
still "$work/before.png"
convert "$work/b.png" -strip "PNG8:$out/fourier-slices.png"
xdotool key --window "$WIN" Return
still "$out/fourier-slices.png"
convert "$work/b.png" -strip "PNG8:$out/fourier-spectrum.png"
xdotool key --window "$WIN" Return
still "$out/fourier-spectrum.png"
cp "$work/b.png" "$work/direct.png"
xdotool type --window "$WIN" M
still "$work/direct.png"
convert "$work/b.png" -strip "PNG8:$out/image-quality-mtf.png"
xdotool key --window "$WIN" Return
still "$out/image-quality-mtf.png"
# The fan: the full turn's scan ends on its last frame; "j" shows the fan
# sinogram, then the rebinned one.
xdotool type --window "$WIN" p
sleep 1
screenshot "$work/before.png"
xdotool type --window "$WIN" r
still "$work/before.png"
convert "$work/b.png" -strip "PNG8:$out/fan-scan.png"
xdotool type --window "$WIN" j
still "$out/fan-scan.png"
convert "$work/b.png" -strip "PNG8:$out/fan-sinogram.png"
xdotool key --window "$WIN" Return
still "$out/fan-sinogram.png"
convert "$work/b.png" -strip "PNG8:$out/fan-rebinned.png"
xdotool key --window "$WIN" Return
xdotool type --window "$WIN" q
wait_exit 10

# A lesson in the window: the built-in course's second step, "One ray, one
# line integral" (the third Return ends its wait), with its caption in the
# panel beside the picture (the screen is wider than tall).
start_radon --lesson "$repo/lessons/ct-course.md"
for _ in 1 2 3; do xdotool key --window "$WIN" Return; sleep 1; done
sleep 8
xwd -silent -id "$WIN" | convert xwd:- -strip "PNG8:$out/lesson-window.png"
xdotool type --window "$WIN" q
wait_exit 10

#!/bin/sh
# Write the handout of the built-in lesson, "The CT course", into
# docs/lessons/ct-course/ (index.html and a PNG for each step), as the
# README links it. Run it after changing lessons/ct-course.md.
# usage: scripts/lesson_handout.sh [OUTPUT_DIR]
set -e
cd "$(dirname "$0")/.."
out=${1:-docs/lessons/ct-course}
scripts/build.sh >/dev/null
rm -rf "$out"
build/radon --lesson lessons/ct-course.md --handout "$out" | tail -n1

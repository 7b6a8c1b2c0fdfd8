#!/bin/sh
# Write the handout of the built-in lesson, "The CT course", into
# docs/lessons/ct-course/ (index.html and a PNG for each step), as the
# README links it; without OUTPUT_DIR also that of lessons/emission.md into
# docs/lessons/emission/. Run it after changing a lesson.
# usage: scripts/lesson_handout.sh [OUTPUT_DIR]
set -e
cd "$(dirname "$0")/.."
out=${1:-docs/lessons/ct-course}
scripts/build.sh >/dev/null
rm -rf "$out"
build/radon --lesson lessons/ct-course.md --handout "$out" | tail -n1
if [ $# -eq 0 ]; then
    rm -rf docs/lessons/emission
    build/radon --lesson lessons/emission.md --handout docs/lessons/emission | tail -n1
fi

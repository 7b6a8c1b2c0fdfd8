#!/bin/sh
# Write the handout of the built-in lesson, "The CT course", into
# docs/lessons/ct-course/ (index.html and the PNGs of every step's screens),
# as the README links it; without OUTPUT_DIR also those of
# lessons/emission.md and lessons/own-scan.md into docs/lessons/. Run it
# after changing a lesson.
# usage: scripts/lesson_handout.sh [OUTPUT_DIR]
set -e
cd "$(dirname "$0")/.."
out=${1:-docs/lessons/ct-course}
scripts/build.sh >/dev/null
rm -rf "$out"
build/radon --lesson lessons/ct-course.md --handout "$out" | tail -n1
if [ $# -eq 0 ]; then
    for lesson in emission own-scan; do
        rm -rf "docs/lessons/$lesson"
        build/radon --lesson "lessons/$lesson.md" --handout "docs/lessons/$lesson" | tail -n1
    done
fi

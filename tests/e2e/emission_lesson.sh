#!/bin/sh
# The emission lesson: read without a warning, its handout written with a
# picture for every step, the last one that of --batch with all its commands.
# usage: emission_lesson.sh path/to/radon path/to/lessons/emission.md
RADON=$(realpath "$1")
LESSON=$(realpath "$2")
work=$(mktemp -d)
. "$(dirname "$0")/checks.sh"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

"$RADON" --lesson "$LESSON" --handout handout >out.txt 2>err.txt; status=$?
check "the emission lesson's handout is written" sh -c "[ $status -eq 0 ] && tail -n1 out.txt | grep -qx 'Saved handout/index.html'"
check "... without a warning" [ ! -s err.txt ]
steps=$(grep -c '^## ' "$LESSON")
check "... with a last picture for each of its $steps steps" [ "$(ls handout/step-[0-9][0-9].png | wc -l)" = "$steps" ]
commands=$(sed -n 's/^run://p' "$LESSON" | tr '\n' ' ')
"$RADON" --batch "$commands s" >/dev/null 2>&1 && convert ./*x*.bmp batch.png 2>/dev/null
last=$(ls handout/step-[0-9][0-9].png | tail -n1)
check "... the last one the picture of --batch with all its commands" \
    [ "$(compare -metric AE "$last" batch.png null: 2>&1 | cut -d' ' -f1)" = 0 ]

finish emission_lesson.sh

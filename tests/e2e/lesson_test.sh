#!/bin/sh
# Lessons from the command line: refusals, the handout of the built-in
# course, and a lesson played in a real window under Xvfb (forward, back,
# Escape), its pictures compared with the ones --batch saves.
# usage: lesson_test.sh path/to/radon path/to/lessons/ct-course.md
RADON=$(realpath "$1")
COURSE=$(realpath "$2")
work=$(mktemp -d)
. "$(dirname "$0")/x_session.sh"
. "$(dirname "$0")/checks.sh"
trap 'stop_x; rm -rf "$work"' EXIT
cd "$work" || exit 1

printf '# Title\n## Step\nrun: h\nrun: R\n' >bad.md
"$RADON" --lesson bad.md --handout out >out.txt 2>err.txt; status=$?
check "a refused lesson exits 2" [ $status -eq 2 ]
check "... saying which line is wrong" grep -qx "lesson bad.md, line 4: a second run line in this step" err.txt
check "... and writes nothing" [ ! -e out ]
"$RADON" --handout out >/dev/null 2>err.txt; status=$?
check "--handout without --lesson is refused" sh -c "[ $status -eq 2 ] && grep -q 'needs --lesson' err.txt"
mkdir locked && chmod 555 locked
if [ ! -w locked ]; then
    "$RADON" --lesson "$COURSE" --handout locked/h >out.txt 2>err.txt; status=$?
    check "a folder that cannot be made exits 1 with the reason" sh -c "[ $status -eq 1 ] && grep -q 'locked/h' err.txt"
    mkdir -p ro && chmod 555 ro
    "$RADON" --lesson "$COURSE" --handout ro >out.txt 2>err.txt; status=$?
    check "a folder that cannot be written exits 1, with no index.html" sh -c "[ $status -eq 1 ] && [ ! -e ro/index.html ]"
fi

"$RADON" --lesson "$COURSE" --handout handout >out.txt 2>err.txt; status=$?
check "the course's handout is written" sh -c "[ $status -eq 0 ] && tail -n1 out.txt | grep -qx 'Saved handout/index.html'"
steps=$(grep -c '^## ' "$COURSE")
check "... with a last picture for each of its $steps steps" [ "$(ls handout/step-[0-9][0-9].png | wc -l)" = "$steps" ]
check "... each named on the page" [ "$(grep -c '<img class="picture" src="step-[0-9][0-9].png"' handout/index.html)" = "$steps" ]
commands=$(sed -n 's/^run://p' "$COURSE" | tr '\n' ' ')
"$RADON" --batch "$commands s" >/dev/null 2>&1 && convert ./*x*.bmp batch.png 2>/dev/null
last=$(ls handout/step-[0-9][0-9].png | tail -n1)
check "... the last one the picture of --batch with all its commands" [ "$(pixels_differing "$last" batch.png)" = 0 ]

printf '# Own picture\n## It\nrun: {2005} R\nThe picture.\n' >own.md
"$RADON" --lesson own.md --handout own >/dev/null 2>err.txt; status=$?
check "without --object a lesson may not choose {2005}" sh -c "[ $status -eq 2 ] && grep -q 'line 3: {2005}' err.txt"
"$RADON" --object "$(dirname "$COURSE")/../docs/guide/chest.png" --lesson own.md --handout own >/dev/null 2>&1
check "with --object it may" [ -s own/step-01.png ]

# The window: a panel below the picture; the picture itself stays the one
# --batch makes.
printf '# Two steps\nOn a disk.\n## The scan\nrun: {2001} r\nScanned.\n## The reconstruction\nrun: R\nBack.\n' >two.md
scan=$(batch_picture "{2001} r" scan.bmp)
fbp=$(batch_picture "{2001} r R" fbp.bmp)
top() { xwd -silent -id "$WIN" | convert xwd:- -crop 400x400+0+0 +repage "$1"; }
shows() { # expected seconds
    for _ in $(seq $(( $2 * 5 ))); do
        top shot.png
        [ "$(pixels_differing shot.png "$1")" = 0 ] && return 0
        sleep 0.2
    done
    return 1
}
height() { xdotool getwindowgeometry "$WIN" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }
taller() { [ "$(height)" -gt 400 ]; }
closed() { [ "$(height)" = 400 ]; }
geometry() { xdotool getwindowgeometry "$WIN" | grep -q "Geometry: $1"; }
start_x
check "--lesson opens the window" start_radon --lesson two.md
check "... grown by the caption panel" wait_until 10 taller
xdotool key --window "$WIN" Return
check "Return plays the first step" shows "$scan" 20
xdotool key --window "$WIN" space
check "Space the second" shows "$fbp" 30
xdotool key --window "$WIN" Left
check "Left goes back to the first step's picture" shows "$scan" 10
xdotool key --window "$WIN" Right
check "Right plays the second again" shows "$fbp" 30
xdotool key --window "$WIN" Escape
closed_on_fbp() { closed && top shot.png && [ "$(pixels_differing shot.png "$fbp")" = 0 ]; }
check "Escape closes the panel and keeps the picture" wait_until 10 closed_on_fbp
xdotool type --window "$WIN" q
wait_exit 10
check "q still ends the program" [ "$EXIT_STATUS" = 0 ]

# Back to the title from the profile, then Up: going back discarded the
# reconstruction the profile drew, so the profile has ended with it.
printf '# Profile\n## The profile\nrun: l\nA profile.\n## Words\nNothing runs.\n' >prof.md
start_radon --lesson prof.md
xdotool key --window "$WIN" Return
sleep 1
xdotool key --window "$WIN" BackSpace
sleep 1
xdotool key --window "$WIN" Up
sleep 1
xdotool type --window "$WIN" q
wait_exit 10
check "Up after going back from the profile is harmless (status $EXIT_STATUS)" \
    sh -c "[ $EXIT_STATUS = 0 ] && [ ! -s radon.err ]"

start_radon --zoom 2 --lesson two.md
xdotool key --window "$WIN" Escape
check "at --zoom 2 the window is 800 x 800 again after Escape" wait_until 10 geometry 800x800
xdotool type --window "$WIN" q
wait_exit 10

finish lesson_test.sh

#!/bin/sh
# Lessons from the command line: refusals, the handout of the built-in
# course, and a lesson played in a real window under Xvfb (forward, back,
# Escape), its pictures compared with the ones --batch saves, with its
# panel beside the picture on a landscape screen and below on a portrait one.
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

# The window on a projector's screen: the panel beside the picture at the
# picture's zoom; the picture itself stays the one --batch makes.
printf '# Two steps\nOn a disk.\n## The scan\nrun: {2001} r\nScanned.\n## The reconstruction\nrun: R\nBack.\n' >two.md
scan=$(batch_picture "{2001} r" scan.bmp)
fbp=$(batch_picture "{2001} r R" fbp.bmp)
# The picture at the window's top left, at zoom $zoom, as 400 x 400.
top() { xwd -silent -id "$WIN" | convert xwd:- -crop "$((400 * zoom))x$((400 * zoom))+0+0" +repage -sample 400x400 "$1"; }
shows() { # expected seconds
    for _ in $(seq $(( $2 * 5 ))); do
        top shot.png
        [ "$(pixels_differing shot.png "$1")" = 0 ] && return 0
        sleep 0.2
    done
    return 1
}
size() { xdotool getwindowgeometry "$WIN" | sed -n 's/.*Geometry: //p'; }
is_size() { [ "$(size)" = "$1" ]; }
on_screen() { # screen width, height
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$1" ] && [ $((Y + HEIGHT)) -le "$2" ]
}
start_x 1920x1080
zoom=2
check "--zoom 2 --lesson opens the window" start_radon --zoom 2 --lesson two.md
check "... at 1600 x 800 on a 1920 x 1080 screen: the panel beside the picture" wait_until 10 is_size 1600x800
check "... all on the screen" on_screen 1920 1080
xdotool key --window "$WIN" Return
check "Return plays the first step" shows "$scan" 20
xdotool key --window "$WIN" space
check "Space the second" shows "$fbp" 30
xdotool key --window "$WIN" Left
check "Left goes back to the first step's picture" shows "$scan" 10
xdotool key --window "$WIN" Right
check "Right plays the second again" shows "$fbp" 30
xdotool key --window "$WIN" Escape
closed_on_fbp() { is_size 800x800 && top shot.png && [ "$(pixels_differing shot.png "$fbp")" = 0 ]; }
check "Escape closes the panel, the window is 800 x 800 again and keeps the picture" wait_until 10 closed_on_fbp
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
stop_x

# A portrait screen: the panel below. A window the user makes wider than
# tall shows it beside (the rule down the panel's left side, at the middle
# of the 800 x 400 shown in 900 x 500), and keeps its size after Escape.
start_x 1024x1280
zoom=1
start_radon --lesson two.md
below() {
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    [ "$WIDTH" = 400 ] && [ "$HEIGHT" -gt 400 ]
}
check "on a portrait screen the panel stands below the picture" wait_until 10 below
xdotool windowsize "$WIN" 900 500
beside() {
    rule=$(xwd -silent -id "$WIN" | convert xwd:- -crop 1x400+450+50 +repage -unique-colors -format '%k %[hex:p{0,0}]' info:)
    [ "$rule" = "1 606060" ]
}
check "a window made 900 x 500 shows it beside" wait_until 10 beside
xdotool key --window "$WIN" Escape
gone_and_kept() { ! beside && is_size 900x500; }
check "... and stays 900 x 500 after Escape" wait_until 10 gone_and_kept
xdotool type --window "$WIN" q
wait_exit 10

finish lesson_test.sh

#!/bin/sh
# radon in a real window: typed keys, the popup menu driven by keys, the
# pictures compared pixel for pixel with the ones --batch saves, and closing
# the window as a user does.
# usage: window_test.sh path/to/radon
RADON=$(realpath "$1")
work=$(mktemp -d)
. "$(dirname "$0")/x_session.sh"
. "$(dirname "$0")/checks.sh"
trap 'stop_x; rm -rf "$work"' EXIT

start_x
phantom=$(batch_picture "" phantom.bmp)
reconstruction=$(batch_picture "R" reconstruction.bmp)
fourier=$(batch_picture "z" fourier.bmp)
disk=$(batch_picture "R{2001}" disk.bmp)
sum=$(batch_picture "{2001}a" sum.bmp)
scan=$(batch_picture "{2001}r" scan.bmp)
profile=$(batch_picture "l" profile.bmp)

check "the window opens" start_radon
check "it shows the phantom" wait_for_picture "$phantom" 10

xdotool type --window "$WIN" R
check "R shows the reconstruction" wait_for_picture "$reconstruction" 30

# "l": the profile; Down moves its row, Up brings it back.
xdotool type --window "$WIN" l
check "l shows the profile" wait_for_picture "$profile" 10
xdotool key Down
sleep 1
screenshot "$work/down.png"
check "Down moves the profile's row" [ "$(pixels_differing "$work/down.png" "$profile")" != 0 ]
xdotool key Up
check "Up brings it back" wait_for_picture "$profile" 10

# "z": the slices at the teaching pace, then two waits for Return.
xdotool type --window "$WIN" z
sleep 5
xdotool key Return
sleep 1
xdotool key Return
check "z ends, after two Returns, with the direct Fourier reconstruction" wait_for_picture "$fourier" 30

# Open the menu with a click; "Change Object" is the sixth entry and "Disk0"
# the second of its submenu.
xdotool mousemove --window "$WIN" 120 120 click 1
sleep 0.5
xdotool key Down Down Down Down Down Down Right Down Return
check "the menu chooses Change Object > Disk0 by keys" wait_for_picture "$disk" 10

xdotool mousemove --window "$WIN" 300 300 click 3
sleep 0.5
xdotool key Escape
sleep 0.3
check "a cancelled menu leaves the picture as it was" wait_for_picture "$disk" 5

# The window enlarged: the picture twice as large, centred, also after "a"
# (whose final sum must be what a repaint brings back); a click at the
# scaled place of an entry chooses it.
xdotool type --window "$WIN" a
sleep 1
xdotool key Return
check "a ends with its final sum" wait_for_picture "$sum" 30
xdotool windowsize "$WIN" 900 900
check "a window of 900 x 900 shows it at 800 x 800, centred" wait_for_picture "$sum" 10
check "(the window is 900 x 900)" sh -c "xdotool getwindowgeometry $WIN | grep -q 'Geometry: 900x900'"
# The menu opens at canvas pixel (100, 100); "Calc Radon" is its second entry.
xdotool mousemove --window "$WIN" 250 250 click 1
sleep 0.5
xdotool mousemove --window "$WIN" 330 306 click 1
check "a click at a scaled place opens the menu there and chooses" wait_for_picture "$scan" 30

xdotool key F11
sleep 1
check "F11 shows it full screen" sh -c "xdotool getwindowgeometry $WIN | grep -q 'Geometry: 1280x1024'"
check "(the picture on it)" wait_for_picture "$scan" 10
xdotool key F11
sleep 1
xdotool windowsize "$WIN" 32767 32767
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WIN")"
check "a size far beyond the display grows it to the display's and no further (${WIDTH}x$HEIGHT)" \
    sh -c "[ $WIDTH -gt 900 ] && [ $WIDTH -le 1280 ] && [ $HEIGHT -le 1024 ]"
check "and the picture still shows" wait_for_picture "$scan" 10

wmctrl -c Radon
wait_exit 10
check "closing the window ends radon with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
check "nothing on stderr" [ ! -s "$work/radon.err" ]

# Four times 400 does not fit 1024 rows: twice does, with one line saying so.
start_radon --zoom 4
eval "$(xdotool getwindowgeometry --shell "$WIN")"
check "--zoom 4 opens at 800 x 800 (${WIDTH}x$HEIGHT)" [ "${WIDTH}x$HEIGHT" = 800x800 ]
check "and says so in one line" sh -c "[ \$(wc -l <'$work/radon.err') -eq 1 ] && grep -q -- '--zoom 2' '$work/radon.err'"
wmctrl -c Radon
wait_exit 10

finish window_test

#!/bin/sh
# radon in a real window: typed keys, the popup menu driven by keys, the
# pictures compared pixel for pixel with the ones --batch saves, and closing
# the window as a user does.
# usage: window_test.sh path/to/radon
RADON=$(realpath "$1")
work=$(mktemp -d)
. "$(dirname "$0")/x_session.sh"
trap 'stop_x; rm -rf "$work"' EXIT

start_x
phantom=$(batch_picture "" phantom.bmp)
reconstruction=$(batch_picture "R" reconstruction.bmp)
disk=$(batch_picture "R{2001}" disk.bmp)

check "the window opens" start_radon
check "it shows the phantom" wait_for_picture "$phantom" 10

xdotool type --window "$WIN" R
check "R shows the reconstruction" wait_for_picture "$reconstruction" 30

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

wmctrl -c Radon
wait_exit 10
check "closing the window ends radon with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
check "nothing on stderr" [ ! -s "$work/radon.err" ]

[ $failed -eq 0 ] && echo "window_test: all checks passed" || echo "window_test: $failed checks failed"
exit $failed

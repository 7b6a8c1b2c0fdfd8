#!/bin/sh
# radon in a real window, treated roughly: closed during a status-line wait,
# with the menu open, in the middle of an animation and of a slideshow; a
# burst of random keys and clicks, after which it must still obey and end
# normally; then ten idle seconds that must cost almost no CPU.
# usage: window_abuse_test.sh path/to/radon [summary-file]
# The burst has a fixed seed, so that a verdict is repeatable; RADON_SEED
# sets another (RADON_SEED=random: a new one each run; it is printed).
RADON=$(realpath "$1")
SUMMARY=$2
work=$(mktemp -d)
. "$(dirname "$0")/x_session.sh"
. "$(dirname "$0")/checks.sh"
trap 'stop_x; rm -rf "$work"' EXIT

# CPU time (user + system) the process has used, in clock ticks. The fields
# are counted after the command name, which is in parentheses.
cpu_ticks() {
    sed 's/.*) //' "/proc/$RADON_PID/stat" | awk '{ print $12 + $13 }'
}

# Wait until radon sleeps: no more than 2 ticks of CPU in half a second.
wait_idle() { # seconds
    for _ in $(seq $(( ${1:-30} * 2 ))); do
        before=$(cpu_ticks)
        sleep 0.5
        [ $(( $(cpu_ticks) - before )) -le 2 ] && return 0
    done
    return 1
}

# Wait until the window no longer shows the picture in $1.
wait_for_change() { # picture seconds
    for _ in $(seq $(( ${2:-10} * 5 ))); do
        screenshot "$work/shot.png"
        [ "$(pixels_differing "$work/shot.png" "$1")" != 0 ] && return 0
        sleep 0.2
    done
    return 1
}

# Choose a menu entry with the keys: a click opens the menu, then
# $1 times Down, Right into the submenu, $2 times Down, Return.
choose() { # entry-in-top-menu entry-in-submenu
    xdotool mousemove --window "$WIN" 200 200 click 1
    sleep 0.3
    # shellcheck disable=SC2046
    xdotool key --delay 20 $(printf 'Down %.0s' $(seq "$1")) Right \
        $( [ "$2" -gt 1 ] && printf 'Down %.0s' $(seq $(( $2 - 1 )))) Return
}

closes=0
close_and_check() { # what was going on
    wmctrl -c Radon
    wait_exit 5 # every state pumps window events: no long delay
    closes=$((closes + 1))
    check "closed $1: ends within 5 s with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
    check "closed $1: nothing on stderr" [ ! -s "$work/radon.err" ]
    [ -s "$work/radon.err" ] && head -n 20 "$work/radon.err"
}

start_x
phantom=$(batch_picture "" phantom.bmp)
disk1=$(batch_picture "{2002}" disk1.bmp)
fourier=$(batch_picture "rz" fourier.bmp)

# The line-integral demonstration waits on its first frame.
start_radon && wait_for_picture "$phantom" 10 && xdotool type --window "$WIN" i &&
    wait_for_change "$phantom" 10 && wait_idle 30
check "it waits on the line integral's first frame" [ $? = 0 ]
close_and_check "during a status-line wait"

start_radon && wait_for_picture "$phantom" 10 && xdotool mousemove --window "$WIN" 150 150 click 3 &&
    wait_for_change "$phantom" 10
check "a click opens the menu" [ $? = 0 ]
close_and_check "with the menu open"

# After the scan and the Fourier slices' three screens, as a student ends
# the lesson on them.
start_radon && wait_for_picture "$phantom" 10 && xdotool type --window "$WIN" r && wait_idle 30 &&
    xdotool type --window "$WIN" z && wait_idle 30 && xdotool key Return && wait_idle 30 &&
    xdotool key Return && wait_for_picture "$fourier" 30
check "the direct Fourier reconstruction is on the screen" [ $? = 0 ]
close_and_check "on the direct Fourier reconstruction"

# The biggest grid: the scan's 201 frames take seconds.
start_radon && wait_for_picture "$phantom" 10 && choose 5 4 && wait_idle 10 &&
    screenshot "$work/before.png" && xdotool type --window "$WIN" r && wait_for_change "$work/before.png" 10
check "the scan on grid 200x512 has begun" [ $? = 0 ]
close_and_check "in the middle of the scan's animation"

# The accumulation slideshow holds each picture; past its first wait it
# only holds and draws.
start_radon && wait_for_picture "$phantom" 10 && xdotool type --window "$WIN" a &&
    wait_for_change "$phantom" 10 && wait_idle 30 && xdotool key Return
check "the slideshow has begun" [ $? = 0 ]
sleep 1
close_and_check "in the middle of a slideshow"

# The burst, on the smallest grid so that the backlog it leaves is short.
# Keys only, never q, s or m (the metal insert), and clicks each followed by
# Escape, so that no menu entry is ever chosen: the grid and object stay as they are.
SEED=${RADON_SEED:-19}
[ "$SEED" = random ] && SEED=$(date +%s)
echo "burst seed $SEED"
awk -v seed="$SEED" 'BEGIN {
    srand(seed)
    quiet = "bdegjklnptuvwxyzABCDEGHIJKLMNOPQSTUVWXYZ0123456789!@#$%^&*()-_=+[];:,./?~hfF"
    split("Return Escape Tab BackSpace Up Down Left Right Home Delete F1 ctrl+a ctrl+c ctrl+q ctrl+z", control, " ")
    busy = "rRic"
    for (n = 0; n < 300; n++) {
        u = rand()
        if (u < 0.55) print "type " substr(quiet, int(rand() * length(quiet)) + 1, 1)
        else if (u < 0.75) print "key " control[int(rand() * 15) + 1]
        else if (u < 0.82) print "type " substr(busy, int(rand() * 4) + 1, 1)
        else print "click " int(rand() * 400) " " int(rand() * 400) " " (rand() < 0.5 ? 1 : 3)
        if (n == 150) print "type a"
    }
}' >"$work/burst.txt"
keys=$(grep -c -v '^click' "$work/burst.txt")
clicks=$(grep -c '^click' "$work/burst.txt")

start_radon && wait_for_picture "$phantom" 10 && choose 5 1 && wait_idle 10
check "a new radon on grid 30x64" [ $? = 0 ]
burst_start=$(date +%s)
while read -r what a b c; do
    case $what in
    type) xdotool type --delay 0 -- "$a" ;;
    key) xdotool key "$a" ;;
    click) xdotool mousemove --window "$WIN" "$a" "$b" click "$c" key Escape ;;
    esac
    sleep 0.01
done <"$work/burst.txt"
burst_end=$(date +%s)
echo "burst of $keys keys and $clicks clicks sent in $(( burst_end - burst_start )) s"

# Working off the backlog, the program ends whatever wait is left on a
# Return; Disk1 chosen from the menu shows once everything before it ran.
drained=no
while [ $(( $(date +%s) - burst_end )) -lt 240 ]; do
    xdotool key --delay 20 Return Return Return
    choose 6 3
    if wait_for_picture "$disk1" 5 >/dev/null; then
        drained=yes
        break
    fi
done
drain_seconds=$(( $(date +%s) - burst_end ))
check "after $keys keys and $clicks clicks it still obeys the menu (${drain_seconds} s later)" [ $drained = yes ]

# Idle: the program sleeps on the event queue.
wait_idle 10
before=$(cpu_ticks)
sleep 10
idle_percent=$(awk -v t=$(( $(cpu_ticks) - before )) -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f", 100 * t / hz / 10 }')
check "ten idle seconds use under 1% of one core (${idle_percent}%)" \
    awk -v p="$idle_percent" 'BEGIN { exit !(p < 1) }'

xdotool type --window "$WIN" q
wait_exit 30
check "q then ends it with status 0 (got $EXIT_STATUS)" [ "$EXIT_STATUS" = 0 ]
check "nothing on stderr" [ ! -s "$work/radon.err" ]
[ -s "$work/radon.err" ] && head -n 20 "$work/radon.err"

if [ -n "$SUMMARY" ]; then
    mkdir -p "$(dirname "$SUMMARY")"
    echo "seed=$SEED closes=$closes keys=$keys clicks=$clicks burst_seconds=$(( burst_end - burst_start )) drain_seconds=$drain_seconds idle_cpu_percent=$idle_percent failed=$failed" >"$SUMMARY"
fi
finish window_abuse " (burst seed $SEED)"

# Helpers for driving radon in a real window under Xvfb (sourced by the
# window tests and scripts/guide_pictures.sh). Needs xvfb, openbox,
# xdotool, wmctrl, x11-apps, imagemagick.

# Start Xvfb (24-bit, 1280 x 1024 unless a size is given) and a light
# window manager; sets DISPLAY. Autorepeat is off (-r): a key that stays
# down must not type into the next program.
start_x() { # [WIDTHxHEIGHT]
    exec 5>"$work/displayfd"
    Xvfb -displayfd 5 -screen 0 "${1:-1280x1024}x24" -r -nolisten tcp >"$work/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$work/displayfd" ] && break
        sleep 0.1
    done
    DISPLAY=:$(head -n1 "$work/displayfd")
    export DISPLAY
    openbox >"$work/openbox.log" 2>&1 &
    WM_PID=$!
    sleep 0.5
}

stop_x() {
    kill "$WM_PID" "$XVFB_PID" 2>/dev/null
    wait "$WM_PID" "$XVFB_PID" 2>/dev/null
}

# Whether the window shows anything but black.
drawn_in() { # window
    brightest=$(xwd -silent -id "$1" 2>/dev/null | convert xwd:- -format '%[fx:maxima]' info: 2>/dev/null)
    [ -n "$brightest" ] && [ "$brightest" != 0 ]
}

# Start radon with the given arguments; sets RADON_PID and WIN.
start_radon() {
    "$RADON" "$@" >"$work/radon.out" 2>"$work/radon.err" &
    RADON_PID=$!
    WIN=""
    for _ in $(seq 150); do
        WIN=$(xdotool search --name '^Radon$' 2>/dev/null | tail -n1)
        # A first window can be replaced by another (the renderer may need a
        # different visual), later when the machine is busy: only the one
        # that stays is ever drawn in, and radon draws at once.
        [ -n "$WIN" ] && drawn_in "$WIN" && break
        WIN=""
        sleep 0.1
    done
    [ -n "$WIN" ] || return 1
    xdotool windowactivate --sync "$WIN" >/dev/null 2>&1 || xdotool windowfocus "$WIN" 2>/dev/null
    sleep 0.3
}

# The 400 x 400 picture as the window shows it, as a PNG file: radon shows it
# at the largest whole factor that fits the window, centred.
screenshot() { # file
    eval "$(xdotool getwindowgeometry --shell "$WIN")"
    f=$(( WIDTH < HEIGHT ? WIDTH / 400 : HEIGHT / 400 ))
    [ "$f" -ge 1 ] || f=1
    xwd -silent -id "$WIN" | convert xwd:- -crop "$((400 * f))x$((400 * f))+$(((WIDTH - 400 * f) / 2))+$(((HEIGHT - 400 * f) / 2))" \
        +repage -sample 400x400 "$1"
}

# Number of pixels in which two pictures differ.
pixels_differing() { # a b
    compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}

# Wait until the window shows exactly the picture in $1 (up to $2 seconds).
wait_for_picture() { # expected.bmp seconds
    deadline=$(( $(date +%s) + ${2:-20} ))
    while [ "$(date +%s)" -le "$deadline" ]; do
        screenshot "$work/shot.png"
        [ "$(pixels_differing "$work/shot.png" "$1")" = 0 ] && return 0
        sleep 0.2
    done
    echo "    window differs from $(basename "$1") in $(pixels_differing "$work/shot.png" "$1") pixels"
    cp "$work/shot.png" "$work/last-mismatch.png"
    return 1
}

# Release every key the X server holds down. A key that ends the program
# can take xdotool down with the window before it sends the release
# (BadWindow): the key would stay down and reach the next program.
release_keys() {
    python3 - <<'EOF'
import ctypes
x11, xtst = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x11.XOpenDisplay(None))
keys = (ctypes.c_ubyte * 32)()
x11.XQueryKeymap(display, keys)
for code in range(256):
    if keys[code // 8] >> code % 8 & 1:
        xtst.XTestFakeKeyEvent(display, code, False, 0)
x11.XCloseDisplay(display)
EOF
}

# Wait until the command succeeds (up to $1 seconds): the window manager
# and the program answer a resize in their own time.
wait_until() { # seconds command...
    deadline=$(( $(date +%s) + $1 ))
    shift
    until "$@"; do
        [ "$(date +%s)" -le "$deadline" ] || return 1
        sleep 0.1
    done
}

# Wait for radon to end; sets EXIT_STATUS ("hung" if it did not end). No key
# is left down after it. Runs in this shell, not a subshell, so that the
# exited child is reaped.
wait_exit() { # seconds
    EXIT_STATUS=hung
    for _ in $(seq $(( ${1:-10} * 10 ))); do
        if ! ps -o stat= -p "$RADON_PID" 2>/dev/null | grep -qv Z; then
            wait "$RADON_PID"
            EXIT_STATUS=$?
            release_keys
            return
        fi
        sleep 0.1
    done
    kill -9 "$RADON_PID" 2>/dev/null
    release_keys
}

# A picture made by the same build with no window, saved as BMP.
batch_picture() { # commands name
    (cd "$work" && "$RADON" --batch "$1 s" >/dev/null && mv "$(ls -t ./*x*.bmp | head -n1)" "$2")
    echo "$work/$2"
}


#!/bin/sh
# The command line as scripts meet it: exit statuses, messages, saved files.
# usage: batch_cli.sh path/to/radon
RADON=$(realpath "$1")
work=$(mktemp -d)
trap 'umount "$work/small" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
check() { # description, condition...
    desc=$1; shift
    if "$@"; then echo "ok   $desc"; else echo "FAIL $desc"; failed=$((failed + 1)); fi
}

"$RADON" --batch "{2001} R s" >out.txt 2>err.txt; status=$?
check "batch exits 0" [ $status -eq 0 ]
check "batch saves 60x128.bmp of 480054 bytes" [ "$(stat -c %s 60x128.bmp 2>/dev/null)" = 480054 ]
check "batch prints the status messages" grep -qx "Calculating FBP..." out.txt
check "batch writes nothing on stderr" [ ! -s err.txt ]

"$RADON" --batch "{1001}s" >out.txt 2>&1
check "the first grid entry sets Np 64" grep -qx "Nw= 30,Np= 64" out.txt
check "and saves 30x64.bmp" [ -f 30x64.bmp ]

"$RADON" --batch "sq s{1004}s" >/dev/null 2>&1; status=$?
check "q ends a batch with status 0" [ $status -eq 0 ]
check "nothing after q runs" [ ! -f 200x512.bmp ]

for bad in "--nope" "--zoom 9" "--batch" "--batch {7}" "--batch {2001" "extra"; do
    # shellcheck disable=SC2086
    "$RADON" $bad >out.txt 2>err.txt; status=$?
    check "'$bad' exits 2" [ $status -eq 2 ]
    check "'$bad' names the problem and shows the usage on stderr" \
        sh -c "[ \$(wc -l <err.txt) -ge 2 ] && grep -q '^usage: radon' err.txt && [ ! -s out.txt ]"
done

# The lab's ids: 1000 photons, Hann, sinogram, error picture, data, help.
"$RADON" --batch "{3104}{3004}{83}{101}{100}{63}" >out.txt 2>err.txt; status=$?
check "the lab's ids run, status 0" [ $status -eq 0 ]
check "and say so on the status line" sh -c 'grep -qx "Noise: 1000 photons per ray" out.txt &&
    grep -qx "Filtered: Hann" out.txt && grep -q "^RMS error 0\.[0-9]\{4\} (x4, red: too low)$" out.txt &&
    grep -qx "Saved 60x128-\*.csv: sinogram, filtered, image" out.txt'
check "the sinogram file has 61 lines of 129 numbers" \
    sh -c '[ $(wc -l <60x128-sinogram.csv) -eq 61 ] && [ $(head -n1 60x128-sinogram.csv | tr , "\n" | wc -l) -eq 129 ]'
check "the image file has 400 lines" [ "$(wc -l <60x128-image.csv)" -eq 400 ]
mv 60x128-sinogram.csv noisy.csv
"$RADON" --seed 1 --batch "{3104} d" >/dev/null 2>&1
check "the default seed is 1: the same noise again" cmp -s noisy.csv 60x128-sinogram.csv
"$RADON" --seed 18446744073709551615 --batch "{3104} d" >/dev/null 2>&1; status=$?
check "another seed, another noise" sh -c "[ $status -eq 0 ] && ! cmp -s noisy.csv 60x128-sinogram.csv"
rm -f ./*.csv

for bad in "--batch {3005}" "--seed" "--seed -1" "--seed 18446744073709551616" "--seed 1x"; do
    # shellcheck disable=SC2086
    "$RADON" $bad >out.txt 2>err.txt; status=$?
    check "'$bad' exits 2 and names the problem" sh -c "[ $status -eq 2 ] && [ -s err.txt ] && [ ! -s out.txt ]"
done

"$RADON" --help >out.txt 2>err.txt; status=$?
check "--help exits 0 with the usage on stdout" sh -c "[ $status -eq 0 ] && grep -q '^usage: radon' out.txt"

# A directory in the way makes the file impossible to create, even for root.
mkdir blocked && mkdir blocked/60x128.bmp && cd blocked
"$RADON" --batch "s h s" >out.txt 2>err.txt; status=$?
cd ..
check "a file that cannot be created: can't open, and the program goes on" \
    sh -c "[ $status -eq 0 ] && [ \$(grep -c \"can't open 60x128.bmp\" blocked/err.txt) -eq 2 ]"

# A full disk: the file opens, the writing fails. /dev/full behind the name
# fails every write; a device is never removed.
mkdir full && ln -s /dev/full full/60x128.bmp && cd full || exit 1
"$RADON" --batch "s h s" >out.txt 2>err.txt; status=$?
cd ..
check "a full disk: can't write, and the program goes on" \
    sh -c "[ $status -eq 0 ] && [ \$(grep -c \"can't write 60x128.bmp\" full/err.txt) -eq 2 ]"
ln -s /dev/full full/60x128-sinogram.csv && cd full || exit 1
"$RADON" --batch "d" >out.txt 2>err.txt; status=$?
cd ..
check "a full disk: can't write the data, no success message" \
    sh -c "[ $status -eq 0 ] && grep -qx \"can't write 60x128-sinogram.csv\" full/err.txt && ! grep -q Saved full/out.txt"
check "and /dev/full is still the device" [ -c /dev/full ]

# A file system too small for the picture (mounting needs root).
mkdir small
if mount -t tmpfs -o size=64k tmpfs small 2>/dev/null; then
    # The messages go elsewhere: the full file system would swallow them.
    (cd small && "$RADON" --batch "s" >../out.txt 2>../err.txt); status=$?
    check "a small file system: can't write, status 0" \
        sh -c "[ $status -eq 0 ] && grep -qx \"can't write 60x128.bmp\" err.txt"
    check "and no partial picture is left" [ ! -e small/60x128.bmp ]
    (cd small && "$RADON" --batch "d" >../out.txt 2>../err.txt)
    check "a small file system: can't write the data, and no partial file is left" \
        sh -c "grep -qx \"can't write 60x128-sinogram.csv\" err.txt && [ ! -e small/60x128-sinogram.csv ]"
else
    echo "skip a small file system: tmpfs cannot be mounted here"
fi

env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "$RADON" >out.txt 2>err.txt; status=$?
check "no display: exit 1" [ $status -eq 1 ]
check "no display: one line that points to --batch" sh -c "[ \$(wc -l <err.txt) -eq 1 ] && grep -q -- --batch err.txt"

[ $failed -eq 0 ] && echo "batch_cli: all checks passed" || echo "batch_cli: $failed checks failed"
exit $failed

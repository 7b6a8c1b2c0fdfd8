#!/bin/sh
# The command line as scripts meet it: exit statuses, messages, saved files.
# usage: batch_cli.sh path/to/radon
RADON=$(realpath "$1")
. "$(dirname "$0")/checks.sh"
work=$(mktemp -d)
trap 'umount "$work/small" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1

"$RADON" --batch "{2001} R s" >out.txt 2>err.txt; status=$?
cp 60x128.bmp disk0.bmp
check "batch exits 0" [ $status -eq 0 ]
check "batch saves 60x128.bmp of 480054 bytes" [ "$(stat -c %s 60x128.bmp 2>/dev/null)" = 480054 ]
check "batch prints the status messages" grep -qx "Calculating FBP..." out.txt
check "batch writes nothing on stderr" [ ! -s err.txt ]
check "a save says so on standard output" grep -qx "Saved 60x128.bmp" out.txt

"$RADON" --batch "{1001}s" >out.txt 2>&1
check "the first grid entry sets Np 64" grep -qx "Nw= 30,Np= 64" out.txt
check "and saves 30x64.bmp" [ -f 30x64.bmp ]

"$RADON" --batch "sq s{1004}s" >/dev/null 2>&1; status=$?
check "q ends a batch with status 0" [ $status -eq 0 ]
check "nothing after q runs" [ ! -f 200x512.bmp ]

for bad in "--nope" "--zoom 9" "--batch" "--batch {7}" "--batch {2001" "extra" "--batch {7} --batch R" \
    "--help --bogus" "--zoom --help" "--seed 1 --seed 1" "--zoom 2 --zoom 3"; do
    # shellcheck disable=SC2086
    "$RADON" $bad >out.txt 2>err.txt; status=$?
    check "'$bad' exits 2" [ $status -eq 2 ]
    check "'$bad' names the problem and the usage in one line on stderr" \
        sh -c "[ \$(wc -l <err.txt) -eq 1 ] && grep -q '^radon: .*; usage: radon \[' err.txt && [ ! -s out.txt ]"
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

# The scanner's ids, then its keys from there on.
"$RADON" --batch "{3201}{3202}{3203}{3204}{3205}{3200} {3301}{3302}{3303}{3300} {3401}{3400} {109}v vgbm" >out.txt 2>err.txt
status=$?
printf '%s\n' "Views: Every 2nd view" "Views: Every 4th view" "Views: Every 8th view" "Views: 0 to 135 degrees" \
    "Views: 0 to 90 degrees" "Views: All views" "Detector: One detector 1% weak" "Detector: One detector 5% weak" \
    "Detector: One detector 20% weak" "Detector: Perfect detector" "Beam: Polychromatic beam" "Beam: Monochromatic beam" \
    "Metal: on" "Views: Every 2nd view" "Views: Every 4th view" "Detector: One detector 1% weak" \
    "Beam: Polychromatic beam" "Metal: off" >expected.txt
check "the scanner's ids and keys run, status 0, each with its status line" \
    sh -c "[ $status -eq 0 ] && [ ! -s err.txt ] && cmp -s out.txt expected.txt"
"$RADON" --batch "{3205} d" >/dev/null 2>&1
check "0 to 90 degrees: the sinogram file holds rows 0 to 30 and zeros beyond" \
    sh -c "head -n 31 60x128-sinogram.csv | grep -q '[1-9]' && ! tail -n 30 60x128-sinogram.csv | grep -q '[1-9]'"
rm -f ./*.csv

# The fan-beam scanner: its ids and key, the short scan's data file, the
# demonstration's id, and a parallel-ray command going back to parallel rays.
"$RADON" --batch "{3501}{3502}{3503}{3500} pp {1001} d {106} i" >out.txt 2>err.txt; status=$?
printf 'Scanner: %s\n' "Fan beam, full turn" "Fan beam, short scan" "Fan beam, short scan, no weights" "Parallel beam" \
    "Fan beam, full turn" "Fan beam, short scan" >expected-fan.txt
check "the scanners' ids and p run, status 0, each with its status line" \
    sh -c "[ $status -eq 0 ] && [ ! -s err.txt ] && head -n 6 out.txt | cmp -s - expected-fan.txt"
check "d of the short scan on 30 x 64: 41 views of 65 elements" \
    sh -c "[ \$(wc -l <30x64-sinogram.csv) -eq 41 ] && [ \$(head -n 1 30x64-sinogram.csv | tr , '\\n' | wc -l) -eq 65 ]"
check "{106} ends with the rebinned reconstruction's error; i sets parallel rays" \
    sh -c "grep -qx 'Rebinned to parallel: RMS error 0\.[0-9]\{4\}' out.txt && tail -n 2 out.txt | head -n 1 | grep -qx 'Scanner: Parallel beam'"
rm -f ./*.csv

"$RADON" --batch "{1002} {122} s" >out.txt 2>err.txt; status=$?
check "{122}, the Fourier slice, prints no frame's progress, ends with the direct reconstruction's error and saves it" \
    sh -c "[ $status -eq 0 ] && [ ! -s err.txt ] && [ -f 60x128.bmp ] &&
        ! grep -q '^Fourier slice: angle' out.txt &&
        grep -qx 'Direct Fourier reconstruction: RMS error 0\.[0-9]\{4\}' out.txt"
rm -f 60x128.bmp

# What is derived from a scan belongs to it: after a new noisy scan neither
# the filtered sinogram nor the reconstruction of the one before is current.
mkdir fresh && cd fresh
"$RADON" --batch "{3104} R r d" >out.txt 2>&1 && mv 60x128-sinogram.csv second.csv
check "a new scan: \"d\" writes its sinogram alone, no filtered file or image of the scan before" \
    sh -c 'tail -n1 out.txt | grep -qx "Saved 60x128-\*.csv: sinogram" && [ ! -e 60x128-filtered.csv ] && [ ! -e 60x128-image.csv ]'
"$RADON" --batch "{3104} r r d" >/dev/null 2>&1
check "and that sinogram is the second scan's" cmp -s second.csv 60x128-sinogram.csv
"$RADON" --batch "{3104} R r S s" >/dev/null 2>&1 && mv 60x128.bmp after-R.bmp
"$RADON" --batch "{3104} r r S s" >/dev/null 2>&1
check "a new scan: \"S\" shows the new scan filtered" cmp -s after-R.bmp 60x128.bmp
# With FFT on, the demonstrations' direct filtering is not the FFT one.
rm -f ./*.csv && "$RADON" --batch "F R d" >/dev/null 2>&1 && mv 60x128-filtered.csv fft.csv
"$RADON" --batch "F a d" >/dev/null 2>&1
check "with FFT on, \"a\" leaves no filtered file but the FFT one" \
    sh -c '[ ! -e 60x128-filtered.csv ] || cmp -s fft.csv 60x128-filtered.csv'
cd ..
# Iterative reconstruction: three SART iterations and their image file; the
# ids of SART, the convergence plot and ART.
"$RADON" --batch "{1002} I I I d" >out.txt 2>err.txt; status=$?
check "SART prints one RMS line an iteration" sh -c "[ $status -eq 0 ] &&
    [ \$(grep -c '^SART iteration [123]: RMS error 0\.[0-9]\{4\}$' out.txt) -eq 3 ]"
check "and its image is written" sh -c 'grep -qx "Saved 60x128-\*.csv: sinogram, image" out.txt &&
    [ $(wc -l <60x128-image.csv) -eq 400 ]'
rm -f ./*.csv
"$RADON" --batch "{73}{69}{65}" >out.txt 2>err.txt; status=$?
check "the ids of SART, the plot and ART run" sh -c "[ $status -eq 0 ] && [ ! -s err.txt ] &&
    grep -q '^SART: 1 iteration, RMS 0\.[0-9]\{4\}; FBP: RMS 0\.[0-9]\{4\}$' out.txt &&
    grep -q '^ART: RMS error 0\.[0-9]\{4\}$' out.txt"

# Image quality: the profile and "M" by their ids; "d" writes the curves
# while they belong to the settings (not after a new noise setting).
"$RADON" --batch "{108}{77}{3103}d Md" >out.txt 2>err.txt; status=$?
check "the profile, then ten numbers before each screen's status line" sh -c "[ $status -eq 0 ] && [ ! -s err.txt ] &&
    grep -qx 'Profile at y = 0.00 cm: RMS error 0\.[0-9]\{4\}' out.txt &&
    [ \$(grep -c '^MTF50 [A-Za-z-]*: [0-9.]* lp/cm$' out.txt) -eq 10 ] &&
    [ \$(grep -c '^Noise SD [A-Za-z-]*: 0\.[0-9]\{4\}$' out.txt) -eq 10 ] &&
    grep -q '^MTF50 [0-9.]* lp/cm (Shepp-Logan). Hit Return to Continue.$' out.txt &&
    grep -qx 'Noise SD 0\.[0-9]\{4\} at 10000 photons per ray (Shepp-Logan)' out.txt"
check "the curves' files only after the measurement of the settings in effect" sh -c '
    [ $(grep -cx "Saved 60x128-\*.csv: sinogram" out.txt) -eq 1 ] &&
    grep -qx "Saved 60x128-\*.csv: sinogram, mtf, nps" out.txt &&
    head -n1 60x128-mtf.csv | grep -qx "f_lp_per_cm,Shepp-Logan,Ram-Lak,Cosine,Hamming,Hann" &&
    [ $(wc -l <60x128-mtf.csv) -eq 215 ] && [ $(wc -l <60x128-nps.csv) -eq 34 ]'
rm -f ./*.csv

for bad in "--batch {3005}" "--seed" "--seed -1" "--seed 18446744073709551616" "--seed 1x"; do
    # shellcheck disable=SC2086
    "$RADON" $bad >out.txt 2>err.txt; status=$?
    check "'$bad' exits 2 and names the problem" sh -c "[ $status -eq 2 ] && [ -s err.txt ] && [ ! -s out.txt ]"
done

# --help anywhere in a well-formed line: COMMANDS are not read, nothing runs.
rm -f 60x128.bmp
for help in "--help" "--batch {9999} --help" "--batch s -h"; do
    # shellcheck disable=SC2086
    "$RADON" $help >out.txt 2>err.txt; status=$?
    check "'$help' exits 0 with the usage on stdout" \
        sh -c "[ $status -eq 0 ] && grep -q '^usage: radon' out.txt && [ ! -s err.txt ] && [ ! -f 60x128.bmp ]"
done
"$RADON" --object "" --batch h >out.txt 2>err.txt; status=$?
echo "radon: can't read \"\": No such file or directory" >expected.txt
check "--object \"\" is refused as a file that cannot be read" sh -c "[ $status -eq 2 ] && cmp -s err.txt expected.txt"

# A directory in the way makes the file impossible to create, even for root.
mkdir blocked && mkdir blocked/60x128.bmp && cd blocked
"$RADON" --batch "s h s q" >out.txt 2>err.txt; status=$?
cd ..
check "a file that cannot be created: can't open with the reason, the program goes on, status 1" \
    sh -c "[ $status -eq 1 ] && [ \$(grep -cx \"can't open 60x128.bmp: Is a directory\" blocked/err.txt) -eq 2 ]"

# A read-only file is not replaced (root, who may write it, is refused too);
# a file replaced keeps its mode.
mkdir modes && cp disk0.bmp modes/60x128.bmp && chmod 0444 modes/60x128.bmp
(cd modes && "$RADON" --batch "h s" >../out.txt 2>../err.txt); status=$?
check "a read-only file: can't open, Permission denied, status 1, the file and its mode kept" \
    sh -c "[ $status -eq 1 ] && grep -qx \"can't open 60x128.bmp: Permission denied\" err.txt &&
           cmp -s modes/60x128.bmp disk0.bmp && [ \$(stat -c %a modes/60x128.bmp) = 444 ]"
chmod 0640 modes/60x128.bmp
(cd modes && "$RADON" --batch "h s" >/dev/null 2>&1); status=$?
check "a file replaced keeps its mode" \
    sh -c "[ $status -eq 0 ] && ! cmp -s modes/60x128.bmp disk0.bmp && [ \$(stat -c %a modes/60x128.bmp) = 640 ]"

# A link or a FIFO at the name is replaced by the picture; nothing blocks and
# the link's target is left alone.
mkdir odd && echo earlier >odd/target
ln -s target odd/60x128.bmp
(cd odd && timeout 60 "$RADON" --batch "{2001} R s" >/dev/null 2>&1)
check "a link at the name: replaced by the picture, its target untouched" \
    sh -c "cmp -s odd/60x128.bmp disk0.bmp && [ ! -L odd/60x128.bmp ] && grep -qx earlier odd/target"
rm odd/60x128.bmp && mkfifo odd/60x128.bmp
(cd odd && timeout 60 "$RADON" --batch "{2001} R s" >/dev/null 2>&1); status=$?
check "a FIFO at the name: replaced by the picture, no hang" sh -c "[ $status -eq 0 ] && cmp -s odd/60x128.bmp disk0.bmp"

# Saves that fail half-way keep the earlier picture and leave nothing behind:
# past a file-size limit, and on a full file system (mounting needs root).
mkdir limited && cp disk0.bmp limited/60x128.bmp
(cd limited && ulimit -f 100 && "$RADON" --batch "s" >../out.txt 2>../err.txt); status=$?
check "past a file-size limit: can't write with the reason, status 1" \
    sh -c "[ $status -eq 1 ] && grep -qx \"can't write 60x128.bmp: File too large\" err.txt"
check "and the earlier picture is kept, with nothing beside it" \
    sh -c "cmp -s limited/60x128.bmp disk0.bmp && [ \"\$(ls -A limited)\" = 60x128.bmp ]"
mkdir small
if mount -t tmpfs -o size=64k tmpfs small 2>/dev/null; then
    echo earlier >small/60x128.bmp
    # The messages go elsewhere: the full file system would swallow them.
    (cd small && "$RADON" --batch "s" >../out.txt 2>../err.txt); status=$?
    check "a full file system: can't write with the reason, status 1" \
        sh -c "[ $status -eq 1 ] && grep -qx \"can't write 60x128.bmp: No space left on device\" err.txt"
    check "and the earlier file is kept, with nothing beside it" \
        sh -c "grep -qx earlier small/60x128.bmp && [ \"\$(ls -A small)\" = 60x128.bmp ]"
    (cd small && "$RADON" --batch "d" >../out.txt 2>../err.txt); status=$?
    check "a full file system: the data can't be written either, status 1, nothing left" \
        sh -c "[ $status -eq 1 ] && grep -qx \"can't write 60x128-sinogram.csv: No space left on device\" err.txt && [ \"\$(ls -A small)\" = 60x128.bmp ]"
else
    echo "skip a full file system: tmpfs cannot be mounted here"
fi

# Saves at the same time each leave one whole picture.
mkdir both && cd both
for obj in 2001 2004; do "$RADON" --batch "{$obj} ssssssssssssssssssss" >/dev/null 2>&1 & done
wait
cd ..
"$RADON" --batch "{2004} s" >/dev/null 2>&1 && mv 60x128.bmp box1.bmp
"$RADON" --batch "{2001} s" >/dev/null 2>&1
check "two saves at once leave one whole picture" \
    sh -c "(cmp -s both/60x128.bmp 60x128.bmp || cmp -s both/60x128.bmp box1.bmp) && [ \"\$(ls -A both)\" = 60x128.bmp ]"

# Standard output that cannot be written: every message would be lost.
for out in /dev/full "&-"; do
    if [ "$out" = "&-" ]; then "$RADON" --batch "R" >&- 2>err.txt; else "$RADON" --batch "R" >"$out" 2>err.txt; fi
    status=$?
    check "standard output $out: status 1 and a write error on stderr" \
        sh -c "[ $status -eq 1 ] && grep -q '^radon: write error: ' err.txt && [ \$(wc -l <err.txt) -eq 1 ]"
done

# No display, as an ssh session or a server has it: no driver asked for.
# (Trying the display loads D-Bus, whose blocks the leak checker would report.)
export ASAN_OPTIONS=detect_leaks=0
for display in "" :139 garbage; do
    if [ -z "$display" ]; then
        env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$RADON" >out.txt 2>err.txt
    else
        env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY="$display" timeout 20 "$RADON" >out.txt 2>err.txt
    fi
    status=$?
    check "no display (DISPLAY='$display'): exit 1 with one line that points to --batch" \
        sh -c "[ $status -eq 1 ] && [ \$(wc -l <err.txt) -eq 1 ] && grep -q -- --batch err.txt"
done

finish batch_cli

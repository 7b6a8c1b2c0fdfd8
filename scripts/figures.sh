#!/bin/sh
# Measure the figures that matter and write them to docs/figures.md: each
# stage's time on every grid, radon against scikit-image, peak memory, idle
# CPU in the window, and the counts of the stress tests. Takes some minutes,
# most of them the random command sequences in the sanitizer build.
# usage: scripts/figures.sh [output.md]
# RADON_BUILD names an existing release tree to use instead of build/.
set -e
cd "$(dirname "$0")/.."
out=${1:-docs/figures.md}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# scikit-image for the comparison, GNU time for peak memory.
scripts/setup.sh python3-skimage time
build=${RADON_BUILD:-build}
if [ "$build" = build ]; then
    scripts/build.sh >/dev/null
else
    cmake --build "$build" -j"$(nproc)" >/dev/null
fi
scripts/build_asan.sh >/dev/null
RADON=$(pwd)/$build/radon
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

echo "figures: benchmarks"
"$build/bench/radon_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out_format=json --benchmark_out="$work/bench.json" >/dev/null 2>"$work/bench.err" ||
    { cat "$work/bench.err"; exit 1; }

echo "figures: radon against scikit-image"
/usr/bin/python3 scripts/compare_skimage.py "$RADON" 5 >"$work/skimage.txt"

echo "figures: peak memory"
peak() { # commands
    (cd "$work" && /usr/bin/time -f %M "$RADON" --batch "$1" 2>&1 >/dev/null | tail -n1)
}
for grid in 1001 1002 1003 1004; do
    echo "| \`radon --batch \"{$grid}R\"\` | $(( $(peak "{$grid}R") / 1024 )) MB |"
done >"$work/memory.md"
echo "| \`radon --batch \"{1004}ricaofR\"\` (every stage and demonstration) | $(( $(peak "{1004}ricaofR") / 1024 )) MB |" \
    >>"$work/memory.md"

echo "figures: stress tests"
rm -f "$build/stress/window_abuse.txt" build-asan/stress/random_sequences.txt
ctest --test-dir "$build" -R '^window_abuse$' --output-on-failure >"$work/abuse.log" 2>&1 || true
ctest --test-dir build-asan -R '^random_sequences$' --output-on-failure >"$work/sequences.log" 2>&1 || true
sh tests/e2e/batch_cli.sh build-asan/radon >"$work/cli.log" 2>&1 || true
abuse=$(cat "$build/stress/window_abuse.txt" 2>/dev/null || echo "did not finish")
sequences=$(cat build-asan/stress/random_sequences.txt 2>/dev/null || echo "did not finish")
field() { # name line
    echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"
}

{
    echo "# radon: the figures"
    echo
    echo "Measured by \`scripts/figures.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
    echo
    hypervisor=$(lscpu | sed -n 's/^Hypervisor vendor: *//p')
    echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) cores" \
        "${hypervisor:+(a $hypervisor virtual machine) }with $(free -g | awk '/^Mem:/ { print $2 }') GB of memory;" \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r); $(c++ --version | head -n1)."
    echo "Load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after."
    echo
    echo "These machines are shared and noisy: other jobs ran at the same time, so"
    echo "expect differences of ten percent and more between runs; compare figures"
    echo "only from the same run."
    echo
    echo "## The stages on every grid"
    echo
    echo "Google Benchmark (\`bench/radon_bench.cpp\`), the median of 3 repetitions,"
    echo "each stage drawing into the no-window canvas as it does in the program."
    echo "\`reconstruct\` is key R with the sinogram at hand (filtering and"
    echo "back-projection), \`backProjection\` the back-projection alone. The CPU time"
    echo "counts every thread of the process."
    echo
    python3 scripts/bench_table.py "$work/bench.json"
    echo
    echo "## radon against scikit-image"
    echo
    echo "\`scripts/compare_skimage.py\`: the whole command against scikit-image's"
    echo "\`radon\` + \`iradon\` alone, on the same picture and views, same machine."
    echo
    echo '```'
    cat "$work/skimage.txt"
    echo '```'
    echo
    echo "## Peak memory"
    echo
    echo "Maximum resident set size (\`/usr/bin/time\`), the release build."
    echo
    echo "| command | peak |"
    echo "|---|---|"
    cat "$work/memory.md"
    echo
    echo "## Idle CPU in the window"
    echo
    echo "radon in a window under Xvfb, after the burst below, left alone for ten"
    echo "seconds: user + system time from \`/proc/PID/stat\`:"
    echo "$(field idle_cpu_percent "$abuse")% of one core" \
        "(the clock tick, which is what /proc counts in, is $(awk -v hz="$(getconf CLK_TCK)" 'BEGIN { print 10 / hz }')% of ten seconds)."
    echo
    echo "## Stress tests"
    echo
    echo "| test | what ran | faults |"
    echo "|---|---|---|"
    echo "| random command sequences, sanitizer build (seed $(field seed "$sequences")) |" \
        "$(field sequences "$sequences") sequences of 1-8 steps ($(field steps "$sequences") steps," \
        "$(field saves "$sequences") saves) in $(field processes "$sequences") processes," \
        "$(field seconds "$sequences") s; $(field command_lines "$sequences") garbage command lines |" \
        "$(field faulty_processes "$sequences") processes, $(field faulty_command_lines "$sequences") command lines |"
    echo "| the window abused, release build (burst seed $(field seed "$abuse")) |" \
        "$(field closes "$abuse") closes (status-line wait, menu, animation, slideshow);" \
        "a burst of $(field keys "$abuse") keys and $(field clicks "$abuse") clicks in $(field burst_seconds "$abuse") s," \
        "obeying again $(field drain_seconds "$abuse") s after it | $(field failed "$abuse") checks failed |"
    echo "| bad environment and command lines, sanitizer build |" \
        "$(grep -c '^ok' "$work/cli.log") checks (unwritable directory, /dev/full, a full tmpfs, bad options) |" \
        "$(grep -c '^FAIL' "$work/cli.log" || true) checks failed |"
} >"$out"
echo "figures: wrote $out"

#!/bin/sh
# Configure and build into build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer (debug info for the reports' line numbers).
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRADON_SANITIZE=ON -DRADON_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"

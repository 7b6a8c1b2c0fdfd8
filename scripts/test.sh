#!/bin/sh
# Set up, build and run every test.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j2

#!/bin/sh
# Set up, build and run every test; then the tests again in the sanitizer
# build, where the random command sequences run too (the web page, which
# does not run this build's code, only in the first).
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
scripts/build_asan.sh
status=0
ctest --test-dir build --output-on-failure -j2 || status=1
ctest --test-dir build-asan --output-on-failure -j2 -E '^web_page$' || status=1
exit $status

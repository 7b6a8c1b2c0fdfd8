#!/bin/sh
# Set up, build and start radon.
set -e
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/radon "$@"

#!/bin/sh
# The page in headless Chromium: installs what is missing (Chromium, npm's
# playwright-core), builds the page and runs web_test.js against the native
# program's pictures.
# usage: tests/web/run.sh NATIVE_RADON WEB_BUILD_DIR
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=$(realpath "$1")
web=$(realpath -m "$2")

missing=""
[ -x /usr/bin/chromium ] || missing="$missing chromium"
command -v npm >/dev/null 2>&1 || missing="$missing npm"
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi

sh "$root/scripts/build_web.sh" "$web"
cd "$here"
[ -f node_modules/playwright-core/package.json ] || npm ci --no-audit --no-fund
exec node web_test.js "$native" "$web/radon.html" "$web"

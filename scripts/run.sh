#!/bin/sh
# Sets up a fresh Debian 12 machine, builds Stellwick and starts it. Without an
# X display it shows a demo on a private desktop instead (scripts/demo.sh).
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-debian.sh
./scripts/build.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec ./build/app/stellwick "$@"
fi
echo "No X display here: showing Stellwick on a private demo desktop instead."
exec ./scripts/demo.sh build

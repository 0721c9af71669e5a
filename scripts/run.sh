#!/bin/sh
# Sets up a fresh Debian 12 machine, builds Stellwick and starts it.
set -eu
cd "$(dirname "$0")/.."

./scripts/setup-debian.sh
./scripts/build.sh
exec ./build/stellwick "$@"

#!/bin/sh
# Configures and builds Stellwick. Usage: scripts/build.sh [--sanitize] [build-dir]
# The default build goes to build/, the ASan+UBSan build to build-asan/.
set -eu
cd "$(dirname "$0")/.."

sanitize=OFF
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=ON
  dir=build-asan
  shift
fi
dir=${1:-$dir}

launcher=""
if command -v ccache >/dev/null 2>&1; then launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTELLWICK_SANITIZE="$sanitize" $launcher >/dev/null
cmake --build "$dir"

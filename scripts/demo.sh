#!/bin/sh
# Shows Stellwick's main job on a machine without a display: a private X
# desktop (two monitors, openbox, tint2), a few demo windows piled up on one
# monitor, a demo profile in a temporary data folder (never your own), the
# profile applied through the command line, and screenshots before and after.
# Usage: scripts/demo.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."

build=$(cd "${1:-build}" && pwd)
for tool in "$build/app/stellwick" "$build/tools/testclient/stellwick-testclient" \
            "$build/tools/screenshot/stellwick-screenshot"; do
    [ -x "$tool" ] || { echo "demo.sh: $tool is missing: build first (scripts/build.sh)" >&2; exit 1; }
done

out=$(mktemp -d "${TMPDIR:-/tmp}/stellwick-demo.XXXXXX")
export STELLWICK_DEMO_OUT="$out" STELLWICK_DEMO_BUILD="$build"
exec dbus-run-session -- ./scripts/test-desktop.sh run --tint2 -- ./scripts/demo-session.sh

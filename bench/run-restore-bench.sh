#!/bin/sh
# Runs the restoration benchmark on a private test desktop (Xvfb, two monitors,
# openbox). Usage: bench/run-restore-bench.sh [build-dir]   (default: build)
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
bench="$build/bench/restore-bench"
if [ ! -x "$bench" ]; then
    echo "run-restore-bench.sh: $bench is missing; build the restore-bench target first" >&2
    exit 1
fi
exec "$root/scripts/test-desktop.sh" run -- "$bench"

#!/bin/sh
# Start-to-exit time of `stellwick --status` against a running instance, on a
# private test desktop and session bus, against `true` started the same way as
# the floor of starting any process. Prints the median of N runs (default 50).
# Usage: bench/run-status-bench.sh [build-dir] [runs]
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-50}"
binary="$build/app/stellwick"
[ -x "$binary" ] || { echo "run-status-bench.sh: $binary is missing; build first" >&2; exit 1; }

if [ "${STELLWICK_STATUS_BENCH_INNER:-}" != 1 ]; then
    export STELLWICK_STATUS_BENCH_INNER=1
    exec dbus-run-session --config-file="$root/tests/support/private-session-bus.conf" -- \
        "$root/scripts/test-desktop.sh" run -- "$0" "$build" "$runs"
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/stellwick-status-bench.XXXXXX")
trap 'gdbus call --session -d org.stellwick.Stellwick -o /org/stellwick/Stellwick \
        -m org.stellwick.Stellwick.Quit >/dev/null 2>&1 || true; rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
unset QT_QPA_PLATFORM
"$binary" --apply >/dev/null 2>&1 || true # starts the resident instance

# Median wall time in milliseconds of running "$@" $runs times.
median_ms() {
    i=0
    while [ $i -lt "$runs" ]; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        echo $(((end - start) / 1000))
        i=$((i + 1))
    done | sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] / 1000 }'
}

status=$(median_ms "$binary" --status)
floor=$(median_ms /bin/true)
echo "stellwick --status: median ${status} ms over $runs runs (starting /bin/true: ${floor} ms)"

#!/bin/sh
# Idle cost of Stellwick against a minimal Qt Widgets tray application, on a
# private test desktop with a tray (Xvfb, openbox, tint2) and a private session
# bus: resident memory with the settings window never opened, and wake-ups
# (context switches of all threads) while nothing happens.
# Usage: bench/idle/run-idle-bench.sh [seconds] [build-dir]   (default: 20 s, build)
set -eu
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-20}"
build="$(cd "${2:-$root/build}" && pwd)"
for binary in "$build/app/stellwick" "$build/bench/idle-tray-baseline"; do
    [ -x "$binary" ] || { echo "run-idle-bench.sh: $binary is missing; build it first" >&2; exit 1; }
done

if [ "${STELLWICK_IDLE_BENCH_INSIDE:-}" != 1 ]; then
    export STELLWICK_IDLE_BENCH_INSIDE=1
    exec dbus-run-session -- "$root/scripts/test-desktop.sh" run --tint2 -- "$0" "$seconds" "$build"
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/stellwick-idle.XXXXXX")
trap 'kill $app $baseline 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Quiet: a first start by hand would open the settings window.
"$build/app/stellwick" --background >/dev/null 2>&1 &
app=$!
"$build/bench/idle-tray-baseline" >/dev/null 2>&1 &
baseline=$!

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
switches() { # voluntary + involuntary, summed over every thread
    cat /proc/"$1"/task/*/status | awk '/ctxt_switches:/ { total += $2 } END { print total }'
}
threads() { awk '/^Threads:/ { print $2 }' "/proc/$1/status"; }

# Let both finish starting (icons embedded, the start-up timers run).
sleep 3
app_before=$(switches $app); base_before=$(switches $baseline)
sleep "$seconds"
app_after=$(switches $app); base_after=$(switches $baseline)

app_rss=$(rss_kib $app); base_rss=$(rss_kib $baseline)
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
printf 'idle %s s on the test desktop, settings window never opened\n' "$seconds"
printf '%-18s %10s %8s %10s\n' "" "RSS (MiB)" threads wake-ups
printf '%-18s %10s %8s %10s\n' stellwick "$(mib "$app_rss")" "$(threads $app)" $((app_after - app_before))
printf '%-18s %10s %8s %10s\n' "minimal tray app" "$(mib "$base_rss")" "$(threads $baseline)" $((base_after - base_before))
awk -v a="$app_rss" -v b="$base_rss" 'BEGIN { printf "memory ratio %.2f (goal at most 1.20)\n", a / b }'

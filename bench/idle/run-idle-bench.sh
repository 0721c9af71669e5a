#!/bin/sh
# Start-up and idle cost of Stellwick against a minimal Qt Widgets tray
# application, on a private test desktop with a tray (Xvfb, openbox, tint2) and
# a private session bus: start-up until the tray icon is embedded (median of
# nine starts each), resident memory with the settings window never opened,
# wake-ups (context switches of all threads) while nothing happens, and
# resident memory after the settings window was opened and closed.
# Usage: bench/idle/run-idle-bench.sh [seconds] [build-dir]   (default: 20 s, build)
set -eu
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-20}"
build="$(cd "${2:-$root/build}" && pwd)"
for binary in "$build/app/stellwick" "$build/bench/idle-tray-baseline" "$build/bench/tray-startup-bench"; do
    [ -x "$binary" ] || { echo "run-idle-bench.sh: $binary is missing; build it first" >&2; exit 1; }
done

if [ "${STELLWICK_IDLE_BENCH_INSIDE:-}" != 1 ]; then
    export STELLWICK_IDLE_BENCH_INSIDE=1
    exec dbus-run-session -- "$root/scripts/test-desktop.sh" run --tint2 -- "$0" "$seconds" "$build"
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/stellwick-idle.XXXXXX")
baseline_window=""
trap 'kill $app $baseline $baseline_window 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Start-up to the icon in the tray, alternating so that both see the same load.
# Quiet: a first start by hand would open the settings window.
startup_median() { "$build/bench/tray-startup-bench" 1 "$@" 2>/dev/null | awk '/^median/ { print $2 }'; }
app_starts="" base_starts=""
for run in 1 2 3 4 5 6 7 8 9; do
    app_starts="$app_starts $(startup_median "$build/app/stellwick" --background)"
    base_starts="$base_starts $(startup_median "$build/bench/idle-tray-baseline")"
done
median_of() { echo "$@" | tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
app_start=$(median_of $app_starts); base_start=$(median_of $base_starts)

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

# The settings window opened (over D-Bus, as a second start would) and closed
# through the window manager, as a user closes it.
gdbus call --session --dest org.stellwick.Stellwick --object-path /org/stellwick/Stellwick \
    --method org.stellwick.Stellwick.Show >/dev/null
managed() { wmctrl -lp | awk -v pid="$1" '$3 == pid { print $1 }'; } # the tray icon is not managed
# The first managed window of process $1 (empty after 10 s without one).
window_of() {
    for _ in $(seq 100); do
        found=$(managed "$1" | head -n 1)
        [ -n "$found" ] && { echo "$found"; return; }
        sleep 0.1
    done
}
# Waits up to 10 s until process $1 has no managed window left.
until_closed() {
    for _ in $(seq 100); do
        [ -z "$(managed "$1")" ] && return
        sleep 0.1
    done
}
window=$(window_of "$app")
[ -n "$window" ] || { echo "run-idle-bench.sh: the settings window did not appear" >&2; exit 1; }
sleep 1
opened_rss=$(rss_kib $app)
wmctrl -ic "$window"
until_closed "$app"
sleep 2
closed_rss=$(rss_kib $app)

# The same for the minimal tray application with a small settings window of
# its own: both then have the text stack (fonts, shaping) loaded.
"$build/bench/idle-tray-baseline" --settings-window >/dev/null 2>&1 &
baseline_window=$!
window=$(window_of "$baseline_window")
[ -n "$window" ] || { echo "run-idle-bench.sh: the baseline's window did not appear" >&2; exit 1; }
sleep 1
wmctrl -ic "$window"
until_closed "$baseline_window"
sleep 2
base_closed_rss=$(rss_kib $baseline_window)
kill $baseline_window
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
printf 'idle %s s on the test desktop, settings window never opened\n' "$seconds"
printf '%-18s %10s %8s %10s\n' "" "RSS (MiB)" threads wake-ups
printf '%-18s %10s %8s %10s\n' stellwick "$(mib "$app_rss")" "$(threads $app)" $((app_after - app_before))
printf '%-18s %10s %8s %10s\n' "minimal tray app" "$(mib "$base_rss")" "$(threads $baseline)" $((base_after - base_before))
awk -v a="$app_rss" -v b="$base_rss" 'BEGIN { printf "memory ratio %.2f (goal at most 1.20)\n", a / b }'
printf 'settings window open: %s MiB; opened and closed: %s MiB (minimal tray app: %s MiB)\n' \
    "$(mib "$opened_rss")" "$(mib "$closed_rss")" "$(mib "$base_closed_rss")"
awk -v a="$closed_rss" -v b="$base_closed_rss" -v c="$base_rss" 'BEGIN {
    printf "memory ratio after the settings window was closed %.2f (goal at most 1.30)", a / b
    printf "; against the tray app that never opened one %.2f\n", a / c }'
printf 'start-up to the icon in the tray (median of 9): stellwick %s ms, minimal tray app %s ms\n' \
    "$app_start" "$base_start"
awk -v a="$app_start" -v b="$base_start" 'BEGIN { printf "start-up ratio %.2f (goal at most 1.30)\n", a / b }'

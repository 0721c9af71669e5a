#!/bin/sh
# Fuzzes the settings reader with libFuzzer (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) from the test corpus and a dictionary of the key
# names. Every input is checked against round-trip oracles, not only for
# crashes. Usage:
#   scripts/fuzz-settings.sh [seconds]          (default 60: the CI run)
#   scripts/fuzz-settings.sh --runs N           a fixed number of executions,
#                                               e.g. --runs 10000000 for the long run
# Needs the plain build (scripts/build.sh) for the seed writer.
set -eu
cd "$(dirname "$0")/.."

limit="-max_total_time=${1:-60}"
if [ "${1:-}" = "--runs" ]; then limit="-runs=$2"; fi

cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz
cmake --build build --target write-settings-corpus >/dev/null

work=build-fuzz/run
rm -rf "$work/seeds" && mkdir -p "$work/corpus" "$work/artifacts"
./build/tests/write-settings-corpus "$work/seeds"

echo "== fuzzing the settings reader ($limit) =="
# Inputs up to 8 KiB; a single input over 5 s counts as a hang; leaks abort.
./build-fuzz/fuzz_settings "$work/corpus" "$work/seeds" -dict=tests/fuzz/settings.dict \
    -max_len=8192 -timeout=5 -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$limit" 2>"$work/log" || {
    tail -n 60 "$work/log" >&2
    echo "fuzz-settings: FAILED; the input is in $work/artifacts/" >&2
    exit 1
}
grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+ +DONE' "$work/log" || true
echo "fuzz-settings: $(ls "$work/corpus" | wc -l) inputs in the corpus, no crash, leak, hang or broken oracle"

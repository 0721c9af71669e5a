#!/bin/sh
# The mutation check: puts each small fault listed in scripts/mutations.txt
# into the product in turn, rebuilds (build-mutate/), runs the tests (fastest
# first, stopping at the first failure) and prints per fault whether a test
# killed it, then the kill rate. Every file is restored afterwards, also on
# Ctrl-C. Exits 1 when a fault survives that is not marked "survives".
#
#   scripts/mutate.sh                 all of them
#   scripts/mutate.sh --sample 10     a fixed pseudo-random sample (CI)
#   scripts/mutate.sh --only LABEL    one (repeatable; "restore-*" for a prefix)
#   scripts/mutate.sh --list          the list, and whether each still applies
#
# STELLWICK_KILLS / STELLWICK_APPLIES (default 20 each here) shorten the loops
# of the fault tests; STELLWICK_MUTATE_JOBS (default 2) tests run at once.
set -eu
cd "$(dirname "$0")/.."
exec /usr/bin/python3 scripts/mutate.py "$@"

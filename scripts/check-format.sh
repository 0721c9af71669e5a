#!/bin/sh
# Fails when a C++ source differs from the repository's .clang-format style.
set -eu
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null 2>&1 || { echo "check-format.sh: clang-format is missing (scripts/setup-debian.sh)" >&2; exit 1; }
find src app tests bench tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

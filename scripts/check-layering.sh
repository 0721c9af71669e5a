#!/bin/sh
# Fails when an X11 or xcb header is included outside the places allowed to
# talk to the X server directly:
#   src/platform/x11/         the X11 backend
#   tests/platform/x11/       its tests (they drive the server to set up cases)
#   tools/testclient/ the X11 test client
#   bench/                    the restoration benchmark's direct baseline
# Everything else reaches X11 through src/platform/x11/X11Desktop.h, whose
# interface is free of X11 types.
set -eu
cd "$(dirname "$0")/.."

allowed='^(src/platform/x11/|tests/platform/x11/|tools/testclient/|bench/)'
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](xcb/|X11/|xcb\.h|Xlib|qpa/qplatformnativeinterface)'

sources() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files --cached --others --exclude-standard -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp'
    else
        find . -path './build*' -prune -o -type f \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.h' \
            -o -name '*.hpp' \) -print | sed 's|^\./||'
    fi
}

violations=$(sources | grep -Ev "$allowed" | xargs -r grep -nHE "$pattern" 2>/dev/null || true)

# The backend's public entry point must stay free of X11 headers.
entry=$(grep -nE "$pattern" src/platform/x11/X11Desktop.h || true)

if [ -n "$violations" ] || [ -n "$entry" ]; then
    echo "check-layering: X11 headers outside the X11 backend:" >&2
    [ -n "$violations" ] && echo "$violations" >&2
    [ -n "$entry" ] && echo "src/platform/x11/X11Desktop.h: $entry" >&2
    exit 1
fi
echo "check-layering: X11 headers only in the X11 backend, its tests, the test client and the benchmark"

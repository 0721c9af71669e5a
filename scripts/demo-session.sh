#!/bin/sh
# The demo itself, run by demo.sh inside the private desktop and session bus.
set -eu
out=$STELLWICK_DEMO_OUT
build=$STELLWICK_DEMO_BUILD
stellwick="$build/app/stellwick"
client="$build/tools/testclient/stellwick-testclient"
screenshot="$build/tools/screenshot/stellwick-screenshot"

export XDG_DATA_HOME="$out/data" XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/org.stellwick.Stellwick"
chmod 700 "$XDG_RUNTIME_DIR"

# Each demo application is one test-client process talking through two pipes;
# it answers a command once the window manager has done it.
start_app() { # name
    mkfifo "$out/$1.in" "$out/$1.out"
    "$client" <"$out/$1.in" >"$out/$1.out" &
}
start_app editor
start_app viewer
exec 3>"$out/editor.in" 4<"$out/editor.out" 5>"$out/viewer.in" 6<"$out/viewer.out"
open_window() { # in-fd out-fd options
    echo "open $3" >&"$1"
    read -r reply <&"$2"
    case "$reply" in window*) ;; *) echo "demo: the test client said: $reply" >&2; exit 1 ;; esac
}
title() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | sed 's/../%&/g'; }

# Piled up on the left monitor, as after a monitor was unplugged and back.
open_window 3 4 "class=DemoEditor title=$(title 'メモ — 議事録.txt') x=700 y=420 w=520 h=380"
open_window 3 4 "class=DemoEditor title=$(title 'メモ — 予定.txt') x=760 y=470 w=480 h=360"
open_window 5 6 "class=DemoViewer title=$(title '画像ビューア — 夜景.png') x=600 y=500 w=600 h=420"

# The demo profile: the editor on the left monitor, the viewer on the right.
id=$(tr 'a-f' 'A-F' </proc/sys/kernel/random/uuid)
cat >"$XDG_DATA_HOME/org.stellwick.Stellwick/profiles.json" <<JSON
{
  "profiles": [
    {
      "id": "$id",
      "name": "デモ",
      "placements": [
        {
          "applicationName": "DemoEditor",
          "arrangeOnLaunch": false,
          "bundleIdentifier": "DemoEditor",
          "display": { "id": 0, "name": "LEFT" },
          "frame": { "height": 0.85, "width": 0.55, "x": 0.03, "y": 0.08 }
        },
        {
          "applicationName": "DemoViewer",
          "arrangeOnLaunch": false,
          "bundleIdentifier": "DemoViewer",
          "display": { "id": 0, "name": "RIGHT" },
          "frame": { "height": 0.8, "width": 0.8, "x": 0.1, "y": 0.1 }
        }
      ]
    }
  ],
  "selectedProfileID": "$id",
  "version": 1
}
JSON

"$screenshot" "$out/before.png" 2>/dev/null
status_line=$("$stellwick" --apply 2>"$out/stellwick.log") && result=0 || result=$?
"$screenshot" "$out/after.png" 2>/dev/null

# The interface: the tray panel opened by a click on the icon, then the
# settings window as Show() on the bus opens it. Each step is waited for.
viewable() { # window -> "x y width height" when viewable
    xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } /IsViewable/ { v = 1 }
        END { if (v) print x, y, w, h }'
}
ours() { xdotool search --classname '^stellwick$' 2>/dev/null; }
wait_for() { # command...: retried for up to 10 s
    tries=0
    until "$@"; do
        tries=$((tries + 1)); [ $tries -le 100 ] || return 1
        sleep 0.1
    done
}
tray_icon() {
    for w in $(ours); do
        set -- $(viewable "$w"); [ $# -eq 4 ] && [ "$3" -le 64 ] && { echo "$(($1 + $3 / 2)) $(($2 + $4 / 2))"; return 0; }
    done
    return 1
}
panel_open() {
    for w in $(ours); do set -- $(viewable "$w"); [ $# -eq 4 ] && [ "$3" -eq 296 ] && return 0; done
    return 1
}
settings_open() { xdotool search --onlyvisible --name '^Stellwick — 設定$' >/dev/null 2>&1; }
interface=0
if wait_for tray_icon >/dev/null; then
    xdotool mousemove $(tray_icon) click 1
    if wait_for panel_open; then
        sleep 0.3 # drawn
        "$screenshot" "$out/panel.png" 2>/dev/null && interface=$((interface + 1))
        xdotool key Escape
    fi
fi
dbus-send --session --type=method_call --dest=org.stellwick.Stellwick /org/stellwick/Stellwick \
    org.stellwick.Stellwick.Show 2>/dev/null || true
if wait_for settings_open; then
    sleep 0.3
    "$screenshot" "$out/settings.png" 2>/dev/null && interface=$((interface + 1))
fi

dbus-send --session --type=method_call --dest=org.stellwick.Stellwick /org/stellwick/Stellwick \
    org.stellwick.Stellwick.Quit 2>/dev/null || true
echo quit >&3
echo quit >&5

echo "Stellwick demo on a private desktop (two monitors, LEFT and RIGHT):"
echo "  before: $out/before.png"
echo "  after:  $out/after.png"
if [ $interface = 2 ]; then
    echo "  tray panel:      $out/panel.png"
    echo "  settings window: $out/settings.png"
else
    echo "  (the interface could not be photographed)"
fi
echo "  status: $status_line"
exit "$result"

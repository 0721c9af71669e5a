#!/bin/sh
# A private X11 desktop for tests, benchmarks and demos: an Xvfb display of its
# own, monitors defined with RandR, a window manager (openbox unless told
# otherwise) and optionally tint2 as panel and tray host. Each part is waited
# for by round trip (the display number Xvfb writes once it listens, openbox's
# start-up hook or the other managers taking the WM_S0 selection and setting
# _NET_SUPPORTING_WM_CHECK, the panel appearing in the client list), never by
# sleeping, and everything is torn down by PID when the command ends, fails or
# is interrupted.
#
# Usage:
#   test-desktop.sh run [options] [-- command [args...]]
#
# With a command: runs it with DISPLAY set to the private desktop and exits
# with its status. Without one: prints DISPLAY=:N and keeps the desktop until
# interrupted (a demo desktop).
#
# Options:
#   --monitors LIST  comma-separated NAME=WxH+X+Y list; the first is primary.
#                    Default: LEFT=1280x1080+0+0,RIGHT=1280x1080+1280+0
#   --desktops N     number of virtual desktops (default 2; openbox only)
#   --tint2          start tint2 along the top edge, with a system tray
#   --wm NAME        the window manager: openbox (default), xfwm4 (with its
#                    compositor), i3 (windows titled "tiled…" stay tiled, all
#                    others float), mutter (--x11) or kwin_x11. All but
#                    openbox and i3 want a session bus (dbus-run-session).
#   --no-wm          no window manager
#
# The command also gets STELLWICK_TEST_DESKTOP=1 and STELLWICK_TEST_WM=NAME.
set -eu

usage() {
    sed -n '2,/^set -eu/p' "$0" | sed -e '/^set -eu/d' -e 's/^# \{0,1\}//' >&2
    exit 2
}

[ "${1:-}" = run ] || usage
shift

monitors="LEFT=1280x1080+0+0,RIGHT=1280x1080+1280+0"
desktops=2
with_tint2=0
with_wm=1
wm=openbox
while [ $# -gt 0 ]; do
    case "$1" in
        --monitors) monitors="$2"; shift 2 ;;
        --desktops) desktops="$2"; shift 2 ;;
        --tint2) with_tint2=1; shift ;;
        --wm) wm="$2"; shift 2 ;;
        --no-wm) with_wm=0; wm=none; shift ;;
        --) shift; break ;;
        *) usage ;;
    esac
done

for tool in Xvfb xrandr; do
    command -v "$tool" >/dev/null 2>&1 || { echo "test-desktop.sh: $tool is missing (scripts/setup-debian.sh)" >&2; exit 1; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/stellwick-desktop.XXXXXX")
pids=""     # processes to stop, last started first
children="" # this shell's children to reap (Xvfb and the wrappers that reap the rest)

cleanup() {
    status=$?
    trap - EXIT INT TERM
    for pid in $pids; do
        kill "$pid" 2>/dev/null || true
    done
    # Whatever ignores the request (a manager stuck in its own shutdown) is
    # killed after a grace period, so the desktop never outlives its command.
    (
        sleep 5
        for pid in $pids; do
            kill -9 "$pid" 2>/dev/null || true
        done
    ) </dev/null >/dev/null 2>&1 &
    reaper=$!
    for pid in $children; do
        wait "$pid" 2>/dev/null || true
    done
    kill "$reaper" 2>/dev/null || true
    rm -rf "$tmp"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

started() { pids="$1 $pids"; }
child() { children="$children $1"; }

fail() {
    echo "test-desktop.sh: $1" >&2
    for log in "$tmp"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")" >&2; cat "$log" >&2; }
    done
    exit 1
}

# --- monitors: the screen is their bounding box --------------------------
width=0
height=0
old_ifs=$IFS
IFS=,
for monitor in $monitors; do
    geometry=${monitor#*=}
    w=${geometry%%x*}; rest=${geometry#*x}
    h=${rest%%+*}; rest=${rest#*+}
    x=${rest%%+*}; y=${rest#*+}
    [ $((x + w)) -gt "$width" ] && width=$((x + w))
    [ $((y + h)) -gt "$height" ] && height=$((y + h))
done
IFS=$old_ifs

# --- X server ----------------------------------------------------------------
# Xvfb picks a free display and writes its number to fd 3 once it accepts
# clients. -noreset: keep the monitors when the last client disconnects.
mkfifo "$tmp/displayfd"
Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp -noreset \
    3>"$tmp/displayfd" >"$tmp/xvfb.log" 2>&1 &
started $!
child $!
read -r display <"$tmp/displayfd" || true
[ -n "${display:-}" ] || fail "Xvfb did not start"
DISPLAY=":$display"
export DISPLAY

first=1
IFS=,
for monitor in $monitors; do
    name=${monitor%%=*}
    geometry=${monitor#*=}
    w=${geometry%%x*}; rest=${geometry#*x}
    h=${rest%%+*}; position=${rest#*+}
    # About 96 dots per inch.
    placement="$w/$((w * 254 / 960))x$h/$((h * 254 / 960))+$position"
    IFS=$old_ifs
    if [ $first = 1 ]; then
        # Bound to Xvfb's one output, or its automatic monitor stays as well.
        xrandr --setmonitor "*$name" "$placement" screen >>"$tmp/xrandr.log" || fail "cannot set monitor $name"
        first=0
    else
        xrandr --setmonitor "$name" "$placement" none >>"$tmp/xrandr.log" || fail "cannot set monitor $name"
    fi
    IFS=,
done
IFS=$old_ifs

# Openbox and tint2 keep their state in the desktop's own folders.
export XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"

# --- window manager ----------------------------------------------------------
if [ $with_wm = 1 ] && [ "$wm" = openbox ]; then
    command -v openbox >/dev/null 2>&1 || fail "openbox is missing (scripts/setup-debian.sh)"
    cat >"$tmp/rc.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <theme><name>Clearlooks</name><animateIconify>no</animateIconify></theme>
  <desktops><number>$desktops</number><firstdesk>1</firstdesk></desktops>
  <resistance><strength>0</strength><screen_edge_strength>0</screen_edge_strength></resistance>
  <mouse>
    <!-- Client context only: openbox replays those presses to the window.
         A Frame-context binding swallows every left click on it, the tray's
         icons included. -->
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
  <menu><file>$tmp/menu.xml</file></menu>
</openbox_config>
XML
    printf '<openbox_menu xmlns="http://openbox.org/3.4/menu"><menu id="root-menu" label="-"/></openbox_menu>\n' \
        >"$tmp/menu.xml"
    # The start-up hook says "ready"; a wrapper says "exited" if openbox dies
    # first, so the wait below always ends.
    mkfifo "$tmp/wm"
    (
        exec 4>"$tmp/wm"
        # Openbox closes inherited descriptors for what it starts: by path.
        openbox --config-file "$tmp/rc.xml" --startup "sh -c 'echo ready >\"$tmp/wm\"'" \
            >"$tmp/openbox.log" 2>&1 &
        echo $! >"$tmp/openbox.pid"
        wait $! || true
        echo exited >&4 2>/dev/null || true
    ) &
    child $!
    read -r answer <"$tmp/wm" || true
    [ "${answer:-}" = ready ] || fail "openbox did not start"
    started "$(cat "$tmp/openbox.pid")"
fi

# The other managers: started with the desktop's own settings folders, each
# with its own toolkit settings whatever the command gets, and waited for by
# their taking over the display (and the compositing selection, for those
# that composite).
start_wm() {
    (
        QT_QPA_PLATFORM=xcb KWIN_COMPOSE=X XDG_RUNTIME_DIR="$tmp/runtime" exec "$@"
    ) >"$tmp/$wm.log" 2>&1 &
    started $!
    child $!
}
if [ $with_wm = 1 ] && [ "$wm" != openbox ]; then
    command -v "$wm" >/dev/null 2>&1 || fail "$wm is missing (scripts/setup-debian.sh)"
    [ "$wm" = i3 ] || [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || fail "$wm needs a session bus (dbus-run-session)"
    mkdir -p "$tmp/runtime"
    chmod 700 "$tmp/runtime"
    compositor=--compositor
    case "$wm" in
        xfwm4) start_wm xfwm4 --compositor=on --vblank=off ;;
        mutter) start_wm mutter --x11 --replace --sm-disable ;;
        kwin_x11)
            # The services it has the bus start (kglobalaccel) need the display too.
            dbus-update-activation-environment DISPLAY QT_QPA_PLATFORM=xcb >>"$tmp/$wm.log" 2>&1 || true
            start_wm kwin_x11 --replace ;;
        i3)
            compositor=""
            cat >"$tmp/i3.conf" <<I3
# i3 config file (v4)
font pango:monospace 8
focus_follows_mouse no
for_window [title="^(?!tiled)"] floating enable
I3
            start_wm i3 -c "$tmp/i3.conf" ;;
        *) fail "unknown window manager $wm" ;;
    esac
    "$(dirname "$0")/wait-window-manager.py" $compositor || fail "$wm did not start"
fi

# --- panel and tray ------------------------------------------------------------
if [ $with_tint2 = 1 ]; then
    command -v tint2 >/dev/null 2>&1 || fail "tint2 is missing (scripts/setup-debian.sh)"
    # No launcher (a click there starts tint2conf); along the top edge.
    sed -e 's/^panel_items = .*/panel_items = TSC/' -e 's/^panel_position = .*/panel_position = top center horizontal/' \
        /etc/xdg/tint2/tint2rc >"$tmp/tint2rc"
    mkfifo "$tmp/panel"
    (
        exec 4>"$tmp/panel"
        tint2 -c "$tmp/tint2rc" >"$tmp/tint2.log" 2>&1 &
        echo $! >"$tmp/tint2.pid"
        wait $! || true
        echo exited >&4 2>/dev/null || true
    ) &
    child $!
    # Every change of the client list, until the panel is in it.
    xprop -root -spy _NET_CLIENT_LIST >"$tmp/panel" 2>/dev/null &
    spy=$!
    ready=0
    while read -r line; do
        [ "$line" = exited ] && break
        for id in $(printf '%s\n' "$line" | grep -o '0x[0-9a-f]*'); do
            if xprop -id "$id" WM_CLASS 2>/dev/null | grep -q tint2; then ready=1; break; fi
        done
        [ $ready = 1 ] && break
    done <"$tmp/panel"
    kill "$spy" 2>/dev/null || true
    wait "$spy" 2>/dev/null || true
    [ $ready = 1 ] || fail "tint2 did not start"
    started "$(cat "$tmp/tint2.pid")"
fi

export STELLWICK_TEST_DESKTOP=1 STELLWICK_TEST_WM="$wm"
if [ $# -eq 0 ]; then
    echo "DISPLAY=$DISPLAY"
    # Until interrupted; the trap tears everything down.
    while :; do wait || true; done
fi

# In the background, so that a signal reaches the trap at once; stopped with
# the rest if the script is interrupted.
"$@" &
command_pid=$!
pids="$command_pid $pids"
set +e
wait "$command_pid"
status=$?
pids=${pids#"$command_pid "}
exit $status

#!/bin/sh
# Installs every Debian 12 package that building, testing and running Stellwick needs.
# Idempotent: packages already present are left as they are. Run as root.
set -eu

packages="
  build-essential cmake ninja-build pkg-config git ca-certificates
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins qt6-image-formats-plugins
  nlohmann-json3-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-xinput-dev libxcb-res0-dev
  xvfb openbox tint2 xdotool wmctrl xterm x11-xserver-utils x11-utils x11-apps at-spi2-core
  dbus dbus-bin
  fonts-ipafont-gothic
  appstream desktop-file-utils
  clang-format clang libclang-rt-14-dev
  python3-tk
  xfwm4 kwin-x11 kwin-style-breeze mutter i3-wm gtk-3-examples
"

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then exec sudo "$0" "$@"; fi
  echo "setup-debian.sh: run as root (apt-get needs it)" >&2
  exit 1
fi

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # shellcheck disable=SC2086
  apt-get install -y --no-install-recommends $missing
fi

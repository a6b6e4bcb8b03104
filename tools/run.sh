#!/usr/bin/env bash
# Starts the built player on the current display.
set -u
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "kavro: no display to show the player on (DISPLAY is not set)" >&2
  exit 1
fi
# Chromium, behind the web windows, refuses to run as root without this.
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
exec "$(dirname "$0")/../build/kavro" "$@"

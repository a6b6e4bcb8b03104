#!/usr/bin/env bash
# Runs one command on a private Xvfb display with the openbox window manager,
# then tears both down. Used by the tests that need a real X server.
set -u
# Xvfb picks a free display number itself and writes it to the given
# descriptor: choosing one here raced with tests started at the same moment,
# and the loser then ran on the winner's server until that went away.
numfile=$(mktemp)
# -noreset: without a window manager the program under test may be the only
# client, and a server that resets when it goes refuses the next one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>&1 &
xvfb_pid=$!
n=
for _ in $(seq 200); do
  n=$(head -n1 "$numfile")
  [ -n "$n" ] && break
  kill -0 $xvfb_pid 2>/dev/null || break
  sleep 0.05
done
rm -f "$numfile"
[ -n "$n" ] || { echo "with-xvfb: Xvfb did not start" >&2; kill $xvfb_pid 2>/dev/null; exit 1; }
export DISPLAY=:$n
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$(mktemp -d)
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
wm_pid=
if [ "${KAVRO_NO_WM:-}" != 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
fi
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
"$@"
rc=$?
[ -n "$wm_pid" ] && kill $wm_pid 2>/dev/null
kill $xvfb_pid 2>/dev/null
wait 2>/dev/null
exit $rc

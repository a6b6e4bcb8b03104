#!/usr/bin/env bash
# Runs one command on a private Xvfb display with the openbox window manager,
# then tears both down. Used by the tests that need a real X server.
set -u
for n in $(seq 200 400); do
  if [ ! -e /tmp/.X${n}-lock ] && [ ! -e /tmp/.X11-unix/X${n} ]; then
    # -noreset: without a window manager the program under test may be the only
    # client, and a server that resets when it goes refuses the next one.
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    # Wait for the server to accept connections (or to die on a lost race for the number).
    for _ in $(seq 100); do
      DISPLAY=:$n xdpyinfo >/dev/null 2>&1 && break
      kill -0 $xvfb_pid 2>/dev/null || break
      sleep 0.05
    done
    if DISPLAY=:$n xdpyinfo >/dev/null 2>&1; then break; fi
    kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null; unset xvfb_pid
  fi
done
[ -n "${xvfb_pid:-}" ] || { echo "with-xvfb: no free X display" >&2; exit 1; }
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

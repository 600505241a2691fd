#!/bin/sh
# with-window-manager.sh <program> [arguments]: runs the program on the X
# display of the environment (xvfb-run's) once a window manager manages it.
# openbox announces itself with its check window on the root window
# (_NET_SUPPORTING_WM_CHECK); this waits for that, at most 30 s.
openbox >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  tries=$((tries + 1))
  if [ "$tries" -gt 300 ] || ! kill -0 "$wm" 2>/dev/null; then
    echo "with-window-manager.sh: openbox did not come up" >&2
    kill "$wm" 2>/dev/null
    exit 1
  fi
  sleep 0.1
done
"$@"
status=$?
kill "$wm" 2>/dev/null
exit "$status"

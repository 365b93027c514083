#!/usr/bin/env bash
# Runs a command on a desktop of its own: a virtual X display (1280x1024), the openbox window
# manager and a session bus, all ended with the command. The command's exit status is kept.
set -euo pipefail
if [ -z "${OSTRIVO_DESKTOP_UP:-}" ]; then
  export OSTRIVO_DESKTOP_UP=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" dbus-run-session -- bash "$0" "$@"
fi
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# Wait until the window manager has taken the screen, so the first window is managed.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
status=0
"$@" || status=$?
kill "$wm" 2>/dev/null || true
wait "$wm" 2>/dev/null || true
exit "$status"

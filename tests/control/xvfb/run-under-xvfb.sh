#!/usr/bin/env bash
# run-under-xvfb.sh <program> [arguments...]: runs a widget test on a private X server of its own
# with a notification-area host (trayer), for what the offscreen platform cannot show.
set -euo pipefail
for tool in Xvfb trayer xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
# No session bus: the tray icon embeds itself into trayer rather than asking a D-Bus host.
unset DBUS_SESSION_BUS_ADDRESS

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
pids+=($!)

status=0
"$@" || status=$?
exit $status

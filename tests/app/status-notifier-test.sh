#!/usr/bin/env bash
# status-notifier-test.sh <program> <watcher> <X runner>: on a desktop whose tray speaks the
# StatusNotifierItem protocol (a session bus with a watcher, a window manager), minimising the
# control window puts it in that tray, and the item's menu brings it back.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
# shellcheck source=program-lib.sh
source "$here/program-lib.sh"

if [ "${1:-}" = --inside ]; then
  # Under the X server and the session bus: $2 the program, $3 the watcher, $4 the work folder.
  program=$2 watcher=$3 work=$4
  pids=()
  cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  }
  trap cleanup EXIT
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  "$watcher" >"$work/items" 2>"$work/watcher.log" &
  pids+=($!)
  fail() {
    echo "$1" >&2
    cat "$work/out.log" "$work/watcher.log" >&2
    exit 1
  }
  owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
  }
  for _ in $(seq 300); do
    owned org.kde.StatusNotifierWatcher && break
    sleep 0.1
  done
  owned org.kde.StatusNotifierWatcher || fail "the watcher did not take its name"
  # openbox sets _NET_SUPPORTING_WM_CHECK on the root once it manages the screen.
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done

  printf '[Options]\r\nMinimise Controls To Tray=1\r\n' >"$work/quorvane.ini"
  "$program" "$work/quorvane.ini" >"$work/out.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  visible() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1; }
  shown() { [ -n "$(visible)" ]; }
  hidden() { [ -z "$(visible)" ]; }
  # The control window itself on the screen again, and nothing else of the program (the menu).
  back() {
    xwininfo -id "$window" | grep -q IsViewable &&
      ! xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vqx "$window"
  }
  # wait_for <description> <command...>: polls for up to 30 s.
  wait_for() {
    local what=$1
    shift
    for _ in $(seq 300); do
      "$@" && return 0
      kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting: $what"
      sleep 0.1
    done
    fail "not within 30 s: $what"
  }
  wait_for "the control window shows" shown
  window=$(visible)
  wait_until_catching_term "$pid" || fail "the program does not take SIGTERM"

  xdotool windowminimize "$window"
  wait_for "an item registers with the watcher" test -s "$work/items"
  wait_for "the control window leaves the screen" hidden
  item=$(head -1 "$work/items")

  # What a host does on a click: the item opens the program's menu; Up Up picks "Show Controls"
  # above "Exit Timer".
  dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:600 int32:500 >/dev/null ||
    fail "the item $item does not answer Activate"
  wait_for "the item's menu opens" shown
  sleep 0.5
  xdotool key Up Up Return
  wait_for "the control window comes back, the menu gone" back
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with $status at SIGTERM"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$3" dbus-run-session -- bash "$0" --inside "$(realpath "$1")" "$(realpath "$2")" "$work"
echo "minimised into a StatusNotifierItem tray and brought back from the item's menu"

#!/usr/bin/env bash
# signals-test.sh <quorvane>: the program as a session sees it, on an X server of its own (run by
# run-under-xvfb.sh): the settings argument as bytes, settings paths that are not regular files,
# SIGTERM while a start-up box waits and while the file cannot be written, and no display at all.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

pid=
start() { # start <settings path>
  "$program" "$1" >"$work/out.log" 2>&1 &
  pid=$!
}
# Waits until the process shows a window: a start-up box, or the control window.
await_window() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Sends SIGTERM and waits at most 30 s for the end; `status` gets the exit status.
status=
terminate() {
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    status=hung
    return
  fi
  status=0
  wait "$pid" || status=$?
}
keys() { grep -c '=' "$1" 2>/dev/null || true; }

# A start-up box is open when the signal comes: the box closes and the program ends as File >
# Exit would, the missing file written. A FIFO, a device or a dangling link as the settings file
# does not hold the start-up: its box shows and the signal ends the program; nothing but the
# link's target is written.
mkdir -p "$work/cases/real"
mkfifo "$work/cases/fifo.ini"
ln -s /dev/zero "$work/cases/zero.ini"
ln -s real/target.ini "$work/cases/dangling.ini"
while IFS='|' read -r name path written; do
  start "$path"
  await_window || fail "$name: no box came up"
  terminate
  [ "$status" = 0 ] || fail "$name: ended with $status: $(cat "$work/out.log")"
  if [ -n "$written" ]; then
    [ "$(keys "$written")" = 46 ] || fail "$name: $written does not hold the 46 keys"
  fi
done <<CASES
a missing file|$work/cases/missing.ini|$work/cases/missing.ini
a FIFO|$work/cases/fifo.ini|
a link to a character device|$work/cases/zero.ini|
a dangling link|$work/cases/dangling.ini|$work/cases/real/target.ini
CASES
[ -p "$work/cases/fifo.ini" ] || fail "the FIFO was replaced"
[ -L "$work/cases/zero.ini" ] || fail "the link to the device was replaced"
[ -L "$work/cases/dangling.ini" ] || fail "the dangling link was replaced by a file"
leftover=$(find "$work/cases" -name '*.tmp' | wc -l)
[ "$leftover" = 0 ] || fail "$leftover temporary files left"

# A settings path that is not UTF-8 is the file of those bytes: read, written, and no other file.
mkdir "$work/latin"
latin="$work/latin/talk-"$'\xE9'".ini"
printf '[Times]\r\nStart Time=300\r\n' >"$latin"
start "$latin"
await_window || fail "latin: no window"
terminate
[ "$status" = 0 ] || fail "latin: ended with $status: $(cat "$work/out.log")"
grep -q $'^Start Time=300\r$' "$latin" || fail "latin: the file was not read"
[ "$(keys "$latin")" = 46 ] || fail "latin: the file was not written"
[ "$(ls "$work/latin" | wc -l)" = 1 ] || fail "latin: another file was written: $(ls "$work/latin")"

# The session ends and the file cannot be written (its folder is gone): the settings go to the
# recovery file, stderr names both paths and the error, the status is 1.
mkdir "$work/gone"
printf '[Times]\r\nStart Time=420\r\n' >"$work/gone/talk.ini"
start "$work/gone/talk.ini"
await_window || fail "recovery: no window"
rm -rf "$work/gone"
terminate
recovered="$work/config/Quorvane/talk.ini.recovered"
[ "$status" = 1 ] || fail "recovery: ended with $status"
grep -q $'^Start Time=420\r$' "$recovered" 2>/dev/null || fail "recovery: no $recovered"
[ "$(keys "$recovered")" = 46 ] || fail "recovery: the recovery file lacks keys"
grep -qF "$work/gone/talk.ini" "$work/out.log" || fail "recovery: stderr lacks the path"
grep -qF "$recovered" "$work/out.log" || fail "recovery: stderr lacks the recovery path"
grep -qF "No such file or directory" "$work/out.log" || fail "recovery: stderr lacks the error"

# No display: one line naming what is wrong, status 1, whatever DISPLAY holds.
while IFS='|' read -r name display expected; do
  status=0
  env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY="$display" "$program" "$work/nd.ini" \
    >"$work/out.log" 2>&1 || status=$?
  [ "$status" = 1 ] || fail "$name: ended with $status"
  [ "$(wc -l <"$work/out.log")" = 1 ] || fail "$name: $(cat "$work/out.log")"
  grep -qF "$expected" "$work/out.log" || fail "$name: $(cat "$work/out.log")"
done <<CASES
an empty DISPLAY||DISPLAY is empty
an unreachable DISPLAY|:479|":479"
CASES
env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY "$program" >"$work/out.log" 2>&1 &&
  fail "an unset DISPLAY started"
grep -qF "DISPLAY is not set" "$work/out.log" || fail "unset DISPLAY: $(cat "$work/out.log")"

[ "$failures" = 0 ] || exit 1
echo "signals, paths and displays: all cases held"

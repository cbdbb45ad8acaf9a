#!/usr/bin/env bash
# atspi-round-trip.sh <quorvane>: the program on a private X server and a private session and
# accessibility bus, driven the way a screen reader drives it, through AT-SPI over D-Bus: the
# names it reads, a toggle and a value it sets, and what of that reaches the saved file.
set -euo pipefail
program=$1
for tool in Xvfb dbus-run-session gdbus; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "at-spi2-core is missing" >&2; exit 1; }

if [ -z "${ATSPI_ROUND_TRIP_INNER:-}" ]; then
  # A session bus of its own, so that parallel runs never share an accessibility bus.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export ATSPI_ROUND_TRIP_INNER=$work XDG_RUNTIME_DIR=$work HOME=$work
  chmod 700 "$work"
  dbus-run-session -- bash ${ATSPI_TRACE:+-x} "$0" "$@"
  exit $?
fi
work=$ATSPI_ROUND_TRIP_INNER
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export SDL_AUDIODRIVER=dummy

bus=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
  --method org.a11y.Bus.GetAddress)
bus=${bus#\(\'}
bus=${bus%\',\)}
atspi() { gdbus call --address "$bus" "$@"; }

ini="$work/quorvane.ini"
# A file that exists, so that no message box about a new file comes first.
printf '[Times]\r\nCounter Interval=1000\r\n' >"$ini"
"$program" "$ini" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)

# The program registers with the accessibility registry once its bridge is up.
app=
for _ in $(seq 200); do
  children=$(atspi --dest org.a11y.atspi.Registry --object-path /org/a11y/atspi/accessible/root \
    --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null || true)
  app=$(grep -o "':[0-9.]*'" <<<"$children" | head -n1 | tr -d "'" || true)
  [ -n "$app" ] && break
  sleep 0.1
done
[ -n "$app" ] || fail "the program never appeared on the accessibility bus"

property() { # <path> <interface> <property>
  atspi --dest "$app" --object-path "$1" --method org.freedesktop.DBus.Properties.Get "$2" "$3"
}
name_of() {
  local reply
  reply=$(property "$1" org.a11y.atspi.Accessible Name)
  reply=${reply#\(<\'}
  echo "${reply%\'>,\)}"
}
role_of() {
  local reply
  reply=$(atspi --dest "$app" --object-path "$1" --method org.a11y.atspi.Accessible.GetRoleName)
  reply=${reply#\(\'}
  echo "${reply%\',\)}"
}
# Every object of the program, each as "<path> <role>|<name>", walked from its root.
walk() {
  local path=$1 child
  echo "$path $(role_of "$path")|$(name_of "$path")"
  for child in $(atspi --dest "$app" --object-path "$path" \
    --method org.a11y.atspi.Accessible.GetChildren | grep -o "/org/a11y/atspi/accessible/[0-9a-z]*"); do
    walk "$child"
  done
}
tree=""
for _ in $(seq 50); do
  tree=$(walk /org/a11y/atspi/accessible/root)
  grep -q "|Count Interval (ms)$" <<<"$tree" && break
  sleep 0.2
done
path_of() { # <role> <name>: the one object of that role and name
  local found
  found=$(awk -v n="$1|$2" '{ p=$1; $1=""; sub(/^ /, ""); if ($0 == n) print p }' <<<"$tree")
  [ -n "$found" ] && [ "$(wc -l <<<"$found")" -eq 1 ] || fail "no single $1 named \"$2\""
  echo "$found"
}

# The names a screen reader reads on the Colours tab: one per list, none "Steady On".
for name in "Display Mode At Counter Pause" "Display Mode At Counter Warning" \
  "Display Mode At Counter End" "Display Mode At Counter Stop" "Message Display Mode" \
  "Counter Mode" "Counter Width" "Display Mode" "Time Font" "Message Font"; do
  path_of "combo box" "$name" >/dev/null
done
! grep -q " combo box|Steady On$" <<<"$tree" || fail "a list is still read by its item"
path_of "spin box" "Count Interval (ms)" >/dev/null
path_of "check box" "Borderless Window" >/dev/null

# Toggle two check boxes through their AT-SPI action, by the action's name.
toggle() {
  local path index=-1 i=0 action
  path=$(path_of "check box" "$1")
  while read -r action; do
    [ "$action" = Toggle ] && index=$i
    i=$((i + 1))
  done < <(atspi --dest "$app" --object-path "$path" --method org.a11y.atspi.Action.GetActions |
    grep -o "('[^']*'" | tr -d "('")
  [ "$index" -ge 0 ] || fail "\"$1\" offers no Toggle"
  atspi --dest "$app" --object-path "$path" --method org.a11y.atspi.Action.DoAction "$index" >/dev/null
}
toggle "Borderless Window"
toggle "Enable Quick Restart (Space Key)"

# Set the count interval through the value interface, as a screen reader's slider does.
interval=$(path_of "spin box" "Count Interval (ms)")
atspi --dest "$app" --object-path "$interval" --method org.freedesktop.DBus.Properties.Set \
  org.a11y.atspi.Value CurrentValue "<750.0>" >/dev/null
value=$(property "$interval" org.a11y.atspi.Value CurrentValue)
[[ $value == *"750"* ]] || fail "the interval reads $value after setting 750"

# A close request saves the settings; what the screen reader did is in the file.
kill -TERM "$program_pid"
for _ in $(seq 200); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.05; done
wait "$program_pid" || true
[ -f "$ini" ] || fail "no settings file was saved"
for line in "Display Borderless=1" "Enable Quick Restart=1" "Counter Interval=750"; do
  grep -q "^$line"$'\r'"\$" "$ini" || fail "\"$line\" is not in the saved file: $(cat "$ini")"
done
echo "AT-SPI round trip: names, toggles and a value reached the saved file"

#!/usr/bin/env bash
# package-test.sh <build folder> <X runner>: builds the Debian package from the build tree,
# unpacks it into a fresh root, starts the unpacked program as its menu entry does, in what looks
# like a Wayland session with XWayland, and checks that its window appears on X, that it closes
# at SIGTERM with 0 and that it saved its settings where it was told.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
# shellcheck source=program-lib.sh
source "$here/program-lib.sh"

if [ "${1:-}" = --inside ]; then
  # Under the X server: $2 is the unpacked root, $3 the work folder.
  root=$2 work=$3
  desktop="$root/usr/share/applications/quorvane.desktop"
  read -ra command <<<"$(sed -n 's/^Exec=//p' "$desktop")"
  settings="$work/settings/quorvane.ini"
  for i in "${!command[@]}"; do
    [ "${command[$i]}" = %f ] && command[i]=$settings
  done
  # A named file that does not exist is reported in a box before any window; this one shows
  # the display window too.
  mkdir -p "$work/settings"
  printf '[Windows]\nDisplay Visible=1\n' >"$settings"
  # No platform chosen, a Wayland socket named: the program must pick XWayland on its own.
  unset QT_QPA_PLATFORM
  export WAYLAND_DISPLAY=wayland-quorvane-test XDG_SESSION_TYPE=wayland
  PATH="$root/usr/bin:$PATH" "${command[@]}" >"$work/out.log" 2>&1 &
  pid=$!
  fail() {
    echo "$1" >&2
    cat "$work/out.log" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  }
  windows=()
  for _ in $(seq 300); do
    mapfile -t windows < <(xdotool search --onlyvisible --pid "$pid" 2>/dev/null)
    [ ${#windows[@]} -ge 2 ] && break
    kill -0 "$pid" 2>/dev/null || fail "the installed program ended before showing its windows"
    sleep 0.1
  done
  [ ${#windows[@]} -ge 2 ] || fail "the control and the display window did not appear on X"
  window=${windows[0]}
  class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
  xprop -id "$window" WM_CLASS | grep -q "\"$class\"" ||
    fail "the window's class is not the menu entry's $class: $(xprop -id "$window" WM_CLASS)"
  wait_until_catching_term "$pid" || fail "the program does not take SIGTERM"
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the installed program ended with $status at SIGTERM"
  [ -f "$settings" ] || fail "no settings saved in $settings"
  for section in Times Options Sound Windows Colours Message; do
    grep -q "^\[$section\]" "$settings" || fail "no [$section] in the saved settings"
  done
  ! grep -q Wayland "$work/out.log" || fail "a Wayland notice although XWayland is there"
  exit 0
fi

build=$(realpath "$1")
runner=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
deb=$(make_package "$build" "$work/out")
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libsdl2 libsndfile1 libc6; do
  [[ "$depends" == *"$library"* ]] || { echo "no $library in Depends: $depends" >&2; exit 1; }
done
dpkg -x "$deb" "$work/root"
for file in usr/bin/quorvane usr/share/applications/quorvane.desktop \
  usr/share/icons/hicolor/scalable/apps/quorvane.svg usr/share/man/man1/quorvane.1.gz \
  usr/share/doc/quorvane/copyright; do
  [ -f "$work/root/$file" ] || { echo "not in the package: $file" >&2; exit 1; }
done
bash "$runner" bash "$0" --inside "$work/root" "$work"
echo "$(basename "$deb"): unpacked, started from its menu entry on XWayland's X, saved, closed with 0"

#!/usr/bin/env bash
# install-test.sh <build folder>: installs into a temporary prefix, starts the installed program
# as a user who cannot write there, closes it the way a session does (SIGTERM) and checks that
# it ended cleanly and saved its settings in the user's configuration folder.
set -euo pipefail
build=$1
# shellcheck source=program-lib.sh
source "$(dirname "$0")/program-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in bin/quorvane share/applications/quorvane.desktop \
  share/icons/hicolor/scalable/apps/quorvane.svg; do
  [ -f "$work/prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
grep -q '^Exec=quorvane' "$work/prefix/share/applications/quorvane.desktop" || {
  echo "the menu entry does not start quorvane" >&2; exit 1; }

mkdir -p "$work/config"
chmod 777 "$work/config"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
# A sanitizer build reads its suppressions as the user the program runs as.
if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]]; then
  cp "${BASH_REMATCH[1]}" "$work/lsan.supp"
  chmod 644 "$work/lsan.supp"
  export LSAN_OPTIONS="${LSAN_OPTIONS/${BASH_REMATCH[1]}/$work/lsan.supp}"
fi

# Root may write anywhere, so the program runs as nobody; anyone else gets a read-only bin.
run=()
if [ "$(id -u)" -eq 0 ]; then
  run=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
  chmod a-w "$work/prefix/bin"
fi

"${run[@]}" "$work/prefix/bin/quorvane" >"$work/out.log" 2>&1 &
pid=$!
ini="$work/config/Quorvane/quorvane.ini"
wait_until_catching_term "$pid" || true
sleep 0.5
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
chmod u+w "$work/prefix/bin"
if [ "$status" -ne 0 ]; then
  echo "the installed program ended with $status:" >&2
  cat "$work/out.log" >&2
  exit 1
fi
[ -f "$ini" ] || { echo "no settings saved in $ini" >&2; cat "$work/out.log" >&2; exit 1; }
[ ! -e "$work/prefix/bin/quorvane.ini" ] || { echo "saved beside the executable" >&2; exit 1; }
keys=$(grep -c '=' "$ini")
[ "$keys" -eq 46 ] || { echo "$keys keys saved, not 46" >&2; exit 1; }
echo "installed, started, saved $keys keys to the user folder, closed with 0"

#!/usr/bin/env bash
# screenshot.sh <build folder> <png>: photographs the program counting, both windows shown, on a
# private X server with a window manager; the picture the package's metainfo points to.
set -euo pipefail
build=$(realpath "$1")
png=$(realpath -m "$2")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# -fbdir keeps the screen in a file (XWD format) that is read back below.
Xvfb -displayfd 3 -screen 0 1000x440x24 -fbdir "$work" -nolisten tcp 3>"$work/display" \
  2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
unset DBUS_SESSION_BUS_ADDRESS
xsetroot -solid '#3c4650' 2>/dev/null || true
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

cat >"$work/quorvane.ini" <<'INI'
[Times]
Start Time=330
Warning Time=60
Warning Active=1
[Options]
Show Time Pie=1
Font Size=72
Font Name=DejaVu Sans
[Windows]
Main Top=20
Main Left=16
Display Visible=1
Display Top=80
Display Left=330
Display Width=640
Display Height=280
INI
"$build/app/quorvane" "$work/quorvane.ini" >"$work/out.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xdotool search --name '^Quorvane' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 2
control=$(xdotool search --class quorvane | head -1)
xdotool windowactivate --sync "$control" key ctrl+r
sleep 4.5
xdotool key ctrl+p
sleep 0.5
xdotool key ctrl+r
xdotool mousemove 999 439
sleep 0.6

python3 - "$work/Xvfb_screen0" "$png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
header = struct.unpack(">25I", data[:100])
size, width, height, bpl, ncolors = header[0], header[4], header[5], header[12], header[19]
pixels = data[size + 12 * ncolors:]
rows = []
for y in range(height):
    row = pixels[y * bpl:y * bpl + width * 4]
    rgb = bytearray(width * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
with open(sys.argv[2], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
              + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
PY
echo "wrote $png"

#!/usr/bin/env bash
# Shows the main window in a virtual X display, moves and presses a real mouse over the stop button, and
# puts the button's four looks side by side: normal, hovered, pressed, and disabled (the upload button,
# which waits for the end of a check). Needs Xvfb, xdotool, ImageMagick's import and python3-pil.
# usage: shoot-button-states.sh BUILD_DIR OUT.png [DISPLAY_NUMBER]
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
display=:${3:-57}
work=$(mktemp -d)
xvfb_pid=""
gallery_pid=""
cleanup() {
  [ -n "$gallery_pid" ] && kill "$gallery_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A screen of exactly the window's size: without a window manager the centred window sits at 0,0.
Xvfb "$display" -screen 0 640x520x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
DISPLAY=$display "$build/tools/ark_gallery/ark_gallery" --data "$build/stage/data" \
  --layout NetChkMainWnd --sample-checking >"$work/gallery.log" 2>&1 &
gallery_pid=$!
sleep 2

shot() { sleep 0.5; DISPLAY=$display import -window root "$work/$1.png"; }
# The stop button is at 120,474 (120 x 34); the upload button beside it at 260,474.
DISPLAY=$display xdotool mousemove 600 20
shot normal
DISPLAY=$display xdotool mousemove 180 491
shot hover
DISPLAY=$display xdotool mousedown 1
shot pressed
DISPLAY=$display xdotool mousemove 600 20 mouseup 1

# The four looks, each with a margin of the panel around it, side by side.
/usr/bin/python3 - "$work" "$out" <<'PY'
import sys
from PIL import Image
work, out = sys.argv[1], sys.argv[2]
cuts = [("normal", 110), ("hover", 110), ("pressed", 110), ("normal", 250)]
strip = Image.new("RGB", (140 * len(cuts), 54))
for i, (name, x) in enumerate(cuts):
    strip.paste(Image.open("%s/%s.png" % (work, name)).convert("RGB").crop((x, 464, x + 140, 518)), (140 * i, 0))
strip.save(out)
PY
echo "wrote $out"

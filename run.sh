#!/usr/bin/env bash
# Installs what is missing, builds, stages the data tree and starts QVRTNetcheck from it.
#
#   ./run.sh [ACCOUNT SERVER_NAME SERVER_IP REGION]   the program; without the four launcher arguments it
#                                                     takes its server from build/stage/data/netcheck.ini
#   ./run.sh check [SERVER_NAME SERVER_IP]            the same check in the terminal (nctool check)
#
# With a display the program opens its window there and runs until the window is closed. Without one it
# starts a virtual X server (Xvfb), runs the check in it, saves a screenshot of the window when the check
# has finished (the path is printed) and keeps running until Enter or Ctrl+C, then closes it cleanly.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
stage=$PWD/build/stage

if [ "${1:-}" = check ]; then
  shift
  exec build/tools/nctool check --server "${1:-Local}" --ip "${2:-127.0.0.1}" --exe-dir "$stage"
fi

display_works() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
if display_works; then
  cd "$stage"
  exec ./QVRTNetcheck "$@"
fi

xvfb_pid=
prog_pid=
cleanup() {
  # The program ends through its own shutdown on SIGTERM (the window's close), then the X server goes.
  if [ -n "$prog_pid" ] && kill -0 "$prog_pid" 2>/dev/null; then
    kill -TERM "$prog_pid" 2>/dev/null || true
    wait "$prog_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number itself and writes it to the descriptor.
dispfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dispfile" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$dispfile" ] && break; sleep 0.1; done
[ -s "$dispfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$dispfile")
rm -f "$dispfile"
echo "no display found: running in the virtual X server $DISPLAY"

mkdir -p "$stage/checklist"
marker=$(mktemp)
(cd "$stage" && exec ./QVRTNetcheck "$@") &
prog_pid=$!

# The check has finished when a result file newer than the start appears; then the verdict is drawn.
result=
while kill -0 "$prog_pid" 2>/dev/null; do
  result=$(find "$stage/checklist" -type f -newer "$marker" -print -quit)
  [ -n "$result" ] && break
  sleep 0.5
done
rm -f "$marker"
if [ -z "$result" ]; then
  wait "$prog_pid" || true
  prog_pid=
  echo "QVRTNetcheck ended before its check finished" >&2
  exit 1
fi
sleep 1
shot=$stage/screenshot-$(date +%Y%m%d-%H%M%S).png
wid=$(xdotool search --name 'Velmora' | head -n1 || true)
if [ -n "$wid" ] && import -window "$wid" "$shot" 2>/dev/null; then
  echo "check finished: result file $result"
  echo "screenshot of the window: $shot"
else
  echo "check finished: result file $result (no screenshot could be taken)"
fi
echo "QVRTNetcheck keeps running in $DISPLAY; press Enter (or Ctrl+C) to close it."
read -r _ || true

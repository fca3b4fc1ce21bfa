#!/usr/bin/env bash
# Installs what is missing, builds, stages the data tree, starts the platform server (ncserver) on
# 127.0.0.1:8080 and then QVRTNetcheck from the staged tree; the server stops when the program ends.
#
#   ./run.sh [ACCOUNT SERVER_NAME SERVER_IP REGION]   the program; without the four launcher arguments it
#                                                     takes its server from build/stage/data/netcheck.ini
#   ./run.sh check [SERVER_NAME SERVER_IP]            the same check in the terminal (nctool check)
#
# With a display the program opens its window there and runs until the window is closed. Without one it
# starts a virtual X server (Xvfb), runs the check in it, saves a screenshot of the window when the check
# has finished (the path is printed) and keeps running until Enter or Ctrl+C, then closes it cleanly.
#
# The server keeps its reports in build/stage/server/reports.db (SQLite), serves the check catalogue from
# build/stage/server/catalogues/ (encrypted as the program downloads it) and takes dumps into
# build/stage/server/dumps/; its log is build/stage/server/ncserver.log. The staged netcheck.ini and
# patch/update_url.xml point the program at it.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
stage=$PWD/build/stage

xvfb_pid=
prog_pid=
server_pid=
cleanup() {
  # The program ends through its own shutdown on SIGTERM (the window's close), then the server (which
  # finishes what it is answering) and the X server go.
  if [ -n "$prog_pid" ] && kill -0 "$prog_pid" 2>/dev/null; then
    kill -TERM "$prog_pid" 2>/dev/null || true
    wait "$prog_pid" 2>/dev/null || true
  fi
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The platform server, with the catalogue from the sources encrypted the way it is published.
srv=$stage/server
mkdir -p "$srv/catalogues" "$srv/dumps"
iconv -f UTF-8 -t GBK data_exe/net_check.xml | build/tools/nctool catalogue encrypt > "$srv/catalogues/net_check.xml"
build/server/ncserver --listen 127.0.0.1:8080 --db "sqlite:$srv/reports.db" --catalogues "$srv/catalogues" \
  --dumps "$srv/dumps" --page /report >>"$srv/ncserver.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do
  curl -sf -o /dev/null http://127.0.0.1:8080/healthz && break
  if ! kill -0 "$server_pid" 2>/dev/null; then
    wait "$server_pid" || true
    server_pid=
    echo "ncserver did not start (is 127.0.0.1:8080 taken?); see $srv/ncserver.log" >&2
    break
  fi
  sleep 0.1
done
[ -n "$server_pid" ] && echo "ncserver on 127.0.0.1:8080 (log: $srv/ncserver.log)"

if [ "${1:-}" = check ]; then
  shift
  build/tools/nctool check --server "${1:-Local}" --ip "${2:-127.0.0.1}" --exe-dir "$stage"
  exit
fi

display_works() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
if display_works; then
  (cd "$stage" && exec ./QVRTNetcheck "$@") &
  prog_pid=$!
  wait "$prog_pid" || true
  prog_pid=
  exit
fi

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

#!/usr/bin/env bash
# Measures what a GUI program costs at rest: starts it in a private Xvfb display, waits until its window
# is up and it has settled, then reports the CPU it used over a fixed period (percent of one core) and
# its resident memory, both read from /proc.
#
#   bench/measure_idle.sh [--seconds N] [--settle N] [--] [COMMAND [ARGS...]]
#
# Without a command it measures build/tools/ark_gallery/ark_gallery; pass the program's own
# executable (for example build/stage/QVRTNetcheck) to measure that instead. The command runs with
# DISPLAY pointing at the private display and is never passed through a shell.
set -euo pipefail

seconds=10
settle=3
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --settle) settle="$2"; shift 2 ;;
    --) shift; break ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    -*) echo "measure_idle: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
case "$seconds$settle" in *[!0-9]*|'') echo "measure_idle: --seconds and --settle take whole seconds" >&2; exit 2 ;; esac
[ "$seconds" -gt 0 ] || { echo "measure_idle: --seconds must be positive" >&2; exit 2; }

root="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -eq 0 ]; then
  set -- "$root/build/tools/ark_gallery/ark_gallery"
fi
[ -x "$1" ] || { echo "measure_idle: $1 is not an executable" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "measure_idle: Xvfb is missing (apt-get install xvfb)" >&2; exit 2; }

# A display number nobody uses: the first without a lock file.
display=90
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done

xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X${display}" ] || { echo "measure_idle: Xvfb did not start on :$display" >&2; exit 1; }

# The program runs in the directory it was started from; its output goes to a log beside this run.
log="$(mktemp /tmp/measure_idle.XXXXXX.log)"
env -u SDL_VIDEODRIVER DISPLAY=":$display" "$@" >"$log" 2>&1 &
app_pid=$!

# Up: the window exists (when xdotool is there to ask), then settled: start-up work is over.
if command -v xdotool >/dev/null; then
  for _ in $(seq 100); do
    DISPLAY=":$display" xdotool search --onlyvisible --pid "$app_pid" >/dev/null 2>&1 && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
fi
sleep "$settle"
kill -0 "$app_pid" 2>/dev/null || { echo "measure_idle: the program ended early; its output:" >&2; cat "$log" >&2; exit 1; }

ticks() {  # user + system clock ticks of the process (fields 14 and 15; the name may hold spaces)
  local stat
  stat="$(cat "/proc/$app_pid/stat")"
  stat="${stat##*) }"
  set -- $stat
  echo $(( ${12} + ${13} ))
}
hz="$(getconf CLK_TCK)"
t0="$(ticks)"
start_ns="$(date +%s%N)"
sleep "$seconds"
t1="$(ticks)"
end_ns="$(date +%s%N)"
status="$(cat "/proc/$app_pid/status")"

field() { echo "$status" | awk -v k="$1:" '$1 == k { print $2 }'; }
cpu="$(awk -v t="$((t1 - t0))" -v hz="$hz" -v ns="$((end_ns - start_ns))" 'BEGIN { printf "%.2f", 100 * t / hz / (ns / 1e9) }')"
echo "command:      $*"
echo "display:      Xvfb :$display, settled ${settle} s, measured ${seconds} s"
echo "cpu:          ${cpu} % of one core ($((t1 - t0)) ticks at ${hz} Hz)"
echo "rss:          $(( $(field VmRSS) / 1024 )) MB (anon $(( $(field RssAnon) / 1024 )) MB, file $(( $(field RssFile) / 1024 )) MB, shmem $(( $(field RssShmem) / 1024 )) MB)"
echo "rss peak:     $(( $(field VmHWM) / 1024 )) MB"
echo "threads:      $(field Threads)"
rm -f "$log"

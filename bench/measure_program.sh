#!/usr/bin/env bash
# Measures the staged QVRTNetcheck as a player runs it, in a virtual X server: the time from the start
# of the process to its first presented frame (the program's own log line), the CPU it takes while idle
# after the check (10 s), and its memory (resident set now and at its peak) from /proc.
#   bench/measure_program.sh [BUILD_DIR]      (default: build; run ./run.sh or a build first)
# Launcher arguments are not needed: the staged netcheck.ini lets it start by itself.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
stage=$build/stage
[ -x "$stage/QVRTNetcheck" ] || { echo "no $stage/QVRTNetcheck: build first" >&2; exit 1; }
if pgrep -x QVRTNetcheck >/dev/null; then
  echo "another QVRTNetcheck runs on this machine; it would refuse to start" >&2
  exit 1
fi

xvfb_pid=
prog_pid=
cleanup() {
  [ -n "$prog_pid" ] && kill -TERM "$prog_pid" 2>/dev/null && wait "$prog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill -TERM "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

dispfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dispfile" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$dispfile" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$dispfile")
rm -f "$dispfile"

mkdir -p "$stage/checklist"
marker=$(mktemp)
(cd "$stage" && exec ./QVRTNetcheck >/dev/null 2>&1) &
prog_pid=$!

result=
for _ in $(seq 1200); do
  result=$(find "$stage/checklist" -type f -newer "$marker" -print -quit)
  [ -n "$result" ] && break
  kill -0 "$prog_pid" 2>/dev/null || break
  sleep 0.1
done
rm -f "$marker"
[ -n "$result" ] || { echo "the check did not finish" >&2; exit 1; }

log=$(ls -t "$stage"/data/log/NetCheck_*_"$prog_pid".log 2>/dev/null | head -n1 || true)
first_ms=$(iconv -f GBK -t UTF-8 "$log" 2>/dev/null | sed -n 's/.*第一帧已显示，启动后 \([0-9]*\) 毫秒.*/\1/p' | head -n1)

# Idle: the check has finished; one second to settle, then ten seconds of CPU time from /proc.
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$prog_pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep 10
t1=$(ticks)
idle=$(awk -v d=$((t1 - t0)) -v hz="$hz" 'BEGIN { printf "%.2f", d * 100 / (10 * hz) }')
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$prog_pid/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$prog_pid/status")

echo "first frame after start:  ${first_ms:-?} ms   (target <= 300)"
echo "idle CPU after the check: ${idle} % of one core over 10 s   (target < 2)"
echo "resident memory:          $((rss / 1024)) MB now, $((hwm / 1024)) MB at the peak   (target < 60)"

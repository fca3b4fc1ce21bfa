#!/usr/bin/env bash
# Runs QVRTNetcheck.exe under Wine in a virtual X server with a catalogue of batch commands that print
# recorded Windows ping outputs (one in English, one in Chinese), waits for the result file and saves a
# screenshot of the window:
#   tools/shoot-windows.sh OUT.png
# Needs the Windows build (./test.sh --windows) and the native nctool (build/tools/nctool).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(cd "$(dirname "${1:?usage: $0 OUT.png}")" && pwd)/$(basename "$1")
shot="$root/build-windows/shot"
rm -rf "$shot"
cp -r "$root/build-windows/stage" "$shot"
rm -f "$shot/checklist/"*

# The recorded outputs, in the system's code page (GBK), with Windows line ends.
crlf() { sed 's/$/\r/'; }
crlf > "$shot/data/ping_en.txt" <<'PING'

Pinging 10.1.2.3 with 32 bytes of data:
Reply from 10.1.2.3: bytes=32 time=31ms TTL=57
Reply from 10.1.2.3: bytes=32 time=33ms TTL=57
Reply from 10.1.2.3: bytes=32 time=30ms TTL=57
Reply from 10.1.2.3: bytes=32 time=34ms TTL=57

Ping statistics for 10.1.2.3:
    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),
Approximate round trip times in milli-seconds:
    Minimum = 30ms, Maximum = 34ms, Average = 32ms
PING
crlf <<'PING' | iconv -f UTF-8 -t GBK > "$shot/data/ping_zh.txt"

正在 Ping 10.1.2.3 具有 32 字节的数据:
来自 10.1.2.3 的回复: 字节=32 时间=29ms TTL=57
来自 10.1.2.3 的回复: 字节=32 时间=35ms TTL=57
来自 10.1.2.3 的回复: 字节=32 时间=31ms TTL=57
来自 10.1.2.3 的回复: 字节=32 时间=33ms TTL=57

10.1.2.3 的 Ping 统计信息:
    数据包: 已发送 = 4，已接收 = 4，丢失 = 0 (0% 丢失)，
往返行程的估计时间(以毫秒为单位):
    最短 = 29ms，最长 = 35ms，平均 = 32ms
PING
iconv -f UTF-8 -t GBK <<'XML' | "$root/build/tools/nctool" catalogue encrypt > "$shot/net_check.xml"
<?xml version="1.0" encoding="GBK"?>
<NetCheck>
  <Config><UseOld>0</UseOld><ShowAdvice>1</ShowAdvice></Config>
  <Commands>
    <Command type="4" value="type ping_en.txt" tips="正在检测与游戏服务器之间的网络（第一路）"/>
    <Command type="4" value="type ping_zh.txt" tips="正在检测与游戏服务器之间的网络（第二路）"/>
    <Command type="2" value="type ping_en.txt &gt; #FILE#" tips="正在持续检测与游戏服务器的连接"/>
    <Command type="1" value="ipconfig" tips="正在读取本机网络接口"/>
  </Commands>
</NetCheck>
XML

export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
dispfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dispfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$dispfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$dispfile")"
rm -f "$dispfile"
(cd "$shot" && exec wine QVRTNetcheck.exe) >/dev/null 2>&1 &
for _ in $(seq 120); do
  ls "$shot/checklist/"*.txt >/dev/null 2>&1 && break
  sleep 1
done
sleep 2
wid=$(xdotool search --name "Velmora" 2>/dev/null | head -1 || true)
if [ -n "$wid" ]; then import -window "$wid" "$out"; else import -window root "$out"; fi
wineserver -k >/dev/null 2>&1 || true
kill "$xvfb" 2>/dev/null || true
ls "$shot/checklist/"
echo "screenshot: $out"

#!/usr/bin/env bash
# The Windows build and its tests under Wine (./test.sh --windows):
#   1. the MinGW cross-compiler, Wine and the rest (tools/install-deps.sh --windows);
#   2. a native nctool (build/), which stages the data tree for the Windows build too;
#   3. the static libraries (tools/build-windows-deps.sh, cached under build-windows/deps);
#   4. QVRTNetcheck.exe, nctool.exe and the test programs in build-windows/, staged tree in
#      build-windows/stage;
#   5. every test under wine64, in a Wine prefix of its own whose locale is zh_CN (ANSI code page 936).
#      Tests that exercise POSIX-only behaviour carry the CTest label "posix_only" and are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./tools/install-deps.sh
./tools/install-deps.sh --windows
jobs=$(nproc)

if [ ! -x build/tools/nctool ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j "$jobs" --target nctool
fi

./tools/build-windows-deps.sh build-windows
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-toolchain.cmake" -DNC_WINDOWS_PREFIX="$root/build-windows/deps/prefix" \
      -DNC_HOST_NCTOOL="$root/build/tools/nctool" -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build build-windows -j "$jobs"

# The Chinese locale, so that Wine's ANSI and OEM code pages are 936 like a Chinese Windows.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$root/build-windows/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
# One Wine session for the whole run, ended when the tests are done. Its background services are started
# here, detached from our output: started by the first test they would inherit its pipe and keep it open.
wineserver --persistent
trap 'wineserver --kill >/dev/null 2>&1 || true' EXIT
wine cmd /c exit >/dev/null 2>&1 </dev/null

export SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1
echo "== tests (Windows build under Wine) =="
ctest --test-dir build-windows --output-on-failure -j "$jobs" -LE posix_only

#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration, runs every test of both.
# ./test.sh --windows builds the Windows programs with MinGW and runs the tests under Wine instead
# (tools/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--windows" ]; then
  exec ./tools/test-windows.sh
fi
./tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNC_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SDL_VIDEODRIVER=offscreen
status=0
echo "== tests (RelWithDebInfo) =="
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer) =="
ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
exit $status

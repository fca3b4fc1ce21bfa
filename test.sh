#!/usr/bin/env bash
# The test command. Installs what is missing, then:
#   ./test.sh            the Linux tests (normal and sanitizer build), then the Windows build and its tests
#                        under Wine; fails when either half fails
#   ./test.sh --linux    only the Linux half
#   ./test.sh --windows  only the Windows half (tools/test-windows.sh)
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-}" in
  --windows) exec ./tools/test-windows.sh ;;
  --linux|"") ;;
  *) echo "usage: ./test.sh [--linux|--windows]" >&2; exit 2 ;;
esac
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
if [ -z "${1:-}" ]; then
  ./tools/test-windows.sh || status=1
fi
exit $status

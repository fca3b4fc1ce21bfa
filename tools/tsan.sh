#!/usr/bin/env bash
# Builds the tests with ThreadSanitizer (build-tsan/, -DNC_TSAN=ON) and runs those whose code runs on
# more than one thread: the report upload and its worker (including a new upload while an abandoned one
# is still blocked), the carrier lookup, the report window, the application's frame-driven upload, and the
# logger with its writer thread.
#
#   tools/tsan.sh            build and run
#   tools/tsan.sh FILTER     run the netcheck tests with another gtest filter instead of the upload tests
#
# Exits non-zero when a test fails or ThreadSanitizer reports anything. Runs at a lower priority.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./tools/install-deps.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNC_TSAN=ON "${launcher[@]}" >/dev/null
nice -n 10 cmake --build build-tsan -j "$(nproc)" --target test_netcheck test_netcheck_posix test_kernel test_app_posix nctool stage_interface

filter=${1:-'UploadClientTest.*:UploadThroughNginx.*:UploadRequestTest.*:UploadForm.*:CarrierTest.*:CommitWnd.*:MainWnd.*'}
# A report fails the test binary (exit code 66) instead of only printing.
export TSAN_OPTIONS="halt_on_error=0 exitcode=66 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
export SDL_VIDEODRIVER=offscreen
status=0
# The loopback test servers are POSIX-only, so the upload tests live in both netcheck binaries.
(cd build-tsan/tests && nice -n 10 ./test_netcheck --gtest_filter="$filter") || status=1
(cd build-tsan/tests && nice -n 10 ./test_netcheck_posix --gtest_filter="$filter") || status=1
(cd build-tsan/tests && nice -n 10 ./test_app_posix --gtest_filter='GlobalTest.*Upload*') || status=1
(cd build-tsan/tests && nice -n 10 ./test_kernel --gtest_filter='LoggerTest.*') || status=1
if [ $status -eq 0 ]; then echo "tsan: no reports, all passed"; else echo "tsan: FAILED" >&2; fi
exit $status

#!/usr/bin/env bash
# Installs what is missing, builds, stages the data tree and starts the program from it.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
stage=build/stage
if [ -x "$stage/QVRTNetcheck" ]; then
  exec "$stage/QVRTNetcheck" "$@"
fi
echo "QVRTNetcheck itself is not built yet; showing what exists: the staged display strings, read by nctool."
cd "$stage/data"
exec ../../tools/nctool csv dump config/sys/NetChk_string_def.csv

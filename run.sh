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
# Until the window exists, the same check runs in the terminal: the engine, the staged catalogue and
# tables, the result file under build/stage/checklist/. Arguments: [SERVER_NAME SERVER_IP].
server=${1:-Local}
ip=${2:-127.0.0.1}
echo "QVRTNetcheck's window is not built yet; running the same check in the terminal (nctool check)."
exec build/tools/nctool check --server "$server" --ip "$ip" --exe-dir "$stage"

#!/usr/bin/env bash
# Stages the interface: compiles the layout sources into STAGE/data/interface/ (netchkroot.auf and its
# .auc components) and packs the staged interface/ folder (layouts and the art stage-data.sh copied)
# into STAGE/data/interface.wdf, which the program reads first unless ReadPackFirst=1. Without layout
# sources only the art is packed; without either no archive is made.
# usage: stage-interface.sh SOURCE_DATA_DIR STAGE_DIR NCTOOL
set -euo pipefail
src=$(cd "$1" && pwd)
stage=$(mkdir -p "$2" && cd "$2" && pwd)
nctool=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
iface="$stage/data/interface"
if [ -f "$src/interface/layouts/index.xml" ]; then
  "$nctool" layout compile "$src/interface/layouts" "$iface"
fi
archive="$stage/data/interface.wdf"
if [ -d "$iface" ] && [ -n "$(find "$iface" -type f ! -name '*.tmp' -print -quit)" ]; then
  "$nctool" pack build "$archive.tmp" "$iface"
  if cmp -s "$archive.tmp" "$archive"; then rm -f "$archive.tmp"; else mv "$archive.tmp" "$archive"; fi
else
  rm -f "$archive"
fi

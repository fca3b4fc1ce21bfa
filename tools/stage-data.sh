#!/usr/bin/env bash
# Stages the runnable data tree: data/ sources (UTF-8) become GBK files under STAGE/data, other files are
# copied as they are, and the two free CJK faces stand in for the program's font files.
# usage: stage-data.sh SOURCE_DATA_DIR STAGE_DIR
set -euo pipefail
src=$1
stage=$2
mkdir -p "$stage/data"
cd "$src"
# Layout sources are compiled, not copied: stage-interface.sh turns them into the package.
find . -type f ! -name CMakeLists.txt ! -name '*.md' ! -path './interface/layouts/*' | while read -r f; do
  out="$stage/data/${f#./}"
  mkdir -p "$(dirname "$out")"
  case "$f" in
    *.csv|*.ini|*.xml|*.txt)
      tmp="$out.tmp"
      iconv -f UTF-8 -t GBK "$f" > "$tmp"
      if cmp -s "$tmp" "$out"; then rm -f "$tmp"; else mv "$tmp" "$out"; fi ;;
    *)
      cmp -s "$f" "$out" || cp "$f" "$out" ;;
  esac
done
mkdir -p "$stage/data/resource" "$stage/data/log"
for pair in "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc:simhei.ttf" \
            "/usr/share/fonts/truetype/arphic/ukai.ttc:simkai.ttf"; do
  from=${pair%%:*}; to="$stage/data/resource/${pair##*:}"
  if [ -f "$from" ] && ! cmp -s "$from" "$to"; then cp "$from" "$to"; fi
done

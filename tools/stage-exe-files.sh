#!/usr/bin/env bash
# Stages the files that sit beside the executable: data_exe/ sources (UTF-8) become GBK; net_check.xml,
# the catalogue kept in plain text in the sources, is also encrypted with the built-in catalogue key;
# the result folder checklist/ is created.
# usage: stage-exe-files.sh SOURCE_EXE_DIR STAGE_DIR NCTOOL
set -euo pipefail
src=$1
# Absolute before the cd below, so relative arguments keep meaning what the caller meant.
stage=$(mkdir -p "$2" && cd "$2" && pwd)
nctool=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
mkdir -p "$stage/checklist"
cd "$src"
find . -type f ! -name '*.md' | while read -r f; do
  rel=${f#./}
  out="$stage/$rel"
  mkdir -p "$(dirname "$out")"
  tmp="$out.tmp"
  case "$rel" in
    net_check.xml)
      iconv -f UTF-8 -t GBK "$f" | "$nctool" catalogue encrypt > "$tmp" ;;
    *.csv|*.ini|*.xml|*.txt)
      iconv -f UTF-8 -t GBK "$f" > "$tmp" ;;
    *)
      cp "$f" "$tmp" ;;
  esac
  if cmp -s "$tmp" "$out"; then rm -f "$tmp"; else mv "$tmp" "$out"; fi
done

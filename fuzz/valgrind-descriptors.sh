#!/usr/bin/env bash
# Runs "nctool catalogue show" under valgrind with each over-read input of the corpus as the update
# descriptor; any memory error valgrind reports fails the test.
# usage: valgrind-descriptors.sh VALGRIND NCTOOL CORPUS_DIR
set -euo pipefail
valgrind=$1 nctool=$2 corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/patch" "$work/data"
count=0
for input in "$corpus"/overread-*; do
  cp "$input" "$work/patch/update_url.xml"
  status=0
  "$valgrind" -q --error-exitcode=97 "$nctool" catalogue show --exe-dir "$work" --server S1 --ip 10.1.2.3 \
    >/dev/null 2>"$work/log" || status=$?
  if [ "$status" -eq 97 ]; then
    echo "valgrind reports memory errors for $(basename "$input"):"
    cat "$work/log"
    exit 1
  fi
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "no over-read inputs in $corpus"; exit 1; }
echo "valgrind: $count descriptors read cleanly"

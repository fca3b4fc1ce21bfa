#!/usr/bin/env bash
# The GBK literal conversion against GCC itself: the sample built from the converted copy (no execution
# character set) must print the same bytes as the sample built with -fexec-charset=GBK.
# usage: check.sh CXX SOURCE_ROOT
set -euo pipefail
cxx=$1 root=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
here=fuzz/gbk-literals-check
python3 "$root/tools/gbk-literals.py" "$root" "$work/src" "$here/sample.cpp" >/dev/null
"$cxx" -std=c++17 -Wall -Wextra -Werror -fexec-charset=GBK "$root/$here/sample.cpp" -o "$work/gcc"
"$cxx" -std=c++17 -Wall -Wextra -Werror "$work/src/$here/sample.cpp" -o "$work/converted"
"$work/gcc" > "$work/gcc.out"
"$work/converted" > "$work/converted.out"
if ! cmp -s "$work/gcc.out" "$work/converted.out"; then
  echo "the converted literals differ:"
  diff "$work/gcc.out" "$work/converted.out" || true
  exit 1
fi
grep -q '^815c22$' "$work/gcc.out"  # the sample still holds the hard case
echo "gbk-literals: $(wc -l < "$work/gcc.out") literals as GCC makes them"

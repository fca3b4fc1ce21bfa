#!/usr/bin/env bash
# Builds one fuzz harness with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer and runs
# it with its seed corpus and dictionary.
#
#   tools/fuzz.sh TARGET [SECONDS] [LIBFUZZER_OPTION...]   e.g. tools/fuzz.sh catalogue_xml 300
#   tools/fuzz.sh TARGET 0                                  builds only
#   tools/fuzz.sh --list
#
# TARGET is a harness fuzz/fuzz_TARGET.cpp. Everything lives under build-fuzz/: the tree with GBK
# literals (src/), the build (build/), the inputs the fuzzer found new coverage with (corpus/TARGET/) and
# the inputs that broke something (artifacts/TARGET/). Runs at the lowest priority, one job.
# TinyXML-2 is compiled from its Debian source package (fetched once), so the sanitizers and the coverage
# reach into the parser too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-fuzz

if [ "${1:-}" = "--list" ]; then
  for f in "$root"/fuzz/fuzz_*.cpp; do basename "$f" .cpp | sed 's/^fuzz_//'; done
  exit 0
fi
target=${1:?usage: tools/fuzz.sh TARGET [SECONDS] [LIBFUZZER_OPTION...] (tools/fuzz.sh --list names them)}
seconds=${2:-300}
shift $(( $# >= 2 ? 2 : 1 ))
[ -f "$root/fuzz/fuzz_$target.cpp" ] || { echo "no harness fuzz/fuzz_$target.cpp" >&2; exit 2; }

# What only fuzzing needs; the normal dependencies come from install-deps.sh.
"$root/tools/install-deps.sh"
need=()
for p in clang libclang-rt-14-dev python3 dpkg-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# TinyXML-2's source, the version the system library is built from, through a source list of our own
# so that the machine's apt configuration stays as it is.
txsrc=$(ls -d "$out"/third_party/tinyxml2-*/ 2>/dev/null | head -n1 || true)
if [ -z "$txsrc" ]; then
  apt=$out/apt
  mkdir -p "$apt/parts" "$apt/lists/partial" "$out/third_party"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt/parts/debian-src.sources"
  fi
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt/parts/debian-src.list"
  fi
  aptopts=(-o Dir::Etc::sourcelist=/dev/null -o "Dir::Etc::sourceparts=$apt/parts" -o "Dir::State::Lists=$apt/lists")
  apt-get "${aptopts[@]}" update -qq
  version=$(dpkg-query -W -f='${source:Version}' libtinyxml2-dev)
  (cd "$out/third_party" && apt-get "${aptopts[@]}" source -qq "tinyxml2=$version")
  txsrc=$(ls -d "$out"/third_party/tinyxml2-*/ | head -n1)
fi

# The tree with GBK literals, rewritten file by file only where it changed; the report server keeps its
# UTF-8 literals (it is compiled with -fexec-charset=UTF-8 in every build).
python3 "$root/tools/gbk-literals.py" "$root" "$out/src" CMakeLists.txt KX_Engine netcheck tools fuzz data data_exe \
  --as-is server
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$out/build/build.ninja" ]; then
  cmake -S "$out/src" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNC_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DNC_TINYXML2_SOURCE_DIR="$txsrc" "${launcher[@]}" >/dev/null
fi
nice -n 10 cmake --build "$out/build" -j1 --target "fuzz_$target"
[ "$seconds" -gt 0 ] || exit 0

corpus=$out/corpus/$target
artifacts=$out/artifacts/$target
mkdir -p "$corpus" "$artifacts"
dict=()
[ -f "$root/fuzz/dict/$target.dict" ] && dict=(-dict="$root/fuzz/dict/$target.dict")
echo "fuzzing $target for $seconds s; new inputs in $corpus, failures in $artifacts"
# New coverage goes to the first folder; the committed seeds are only read. The harnesses' own noise
# (stdout, stderr) is closed; sanitizer reports still come through.
cd "$out"
exec nice -n 19 "$out/build/fuzz/fuzz_$target" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
  -close_fd_mask=3 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts/" "$@" "$corpus" "$root/fuzz/corpus/$target"

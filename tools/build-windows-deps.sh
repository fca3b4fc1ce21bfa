#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links, as static libraries for x86_64 MinGW (POSIX thread
# model), from Debian's own source packages:
#   tools/build-windows-deps.sh <build folder>
# Everything lands under <build folder>/deps: the source list and apt state (the system's apt
# configuration is left alone), the unpacked sources and the install prefix <build folder>/deps/prefix.
# The prefix is reused as long as this script is unchanged (its hash is stored beside it).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(mkdir -p "${1:?usage: $0 <build folder>}" && cd "$1" && pwd)"
deps="$build/deps"
prefix="$deps/prefix"
stamp="$prefix/.script-hash"
hash="$(sha256sum "$0" "$here/mingw-toolchain.cmake" | sha256sum | cut -c1-16)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$hash" ]; then
  echo "windows deps: up to date in $prefix"
  exit 0
fi
# A changed script starts over; an interrupted run goes on after its last finished library.
if [ -f "$stamp" ]; then rm -rf "$deps"; fi
mkdir -p "$deps/done"
mkdir -p "$deps/apt/lists/partial" "$deps/apt/cache/archives/partial" "$deps/src" "$prefix"
jobs=$(nproc)
toolchain="$here/mingw-toolchain.cmake"

# deb-src of the same release as the system, known to apt only through the options below.
codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
echo "deb-src http://deb.debian.org/debian $codename main" > "$deps/apt/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$deps/apt/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
          -o "Dir::State::Lists=$deps/apt/lists" -o "Dir::Cache=$deps/apt/cache" -o "Debug::NoLocking=1"
          -o "APT::Sandbox::User=root")
apt-get "${apt_opts[@]}" -qq update

fetch() {  # fetch <source package>: unpacks it into src/<package> and prints the folder
  local pkg="$1"
  ( cd "$deps/src" && apt-get "${apt_opts[@]}" -qq source --download-only "$pkg" >/dev/null )
  local dsc
  dsc="$(ls "$deps/src/${pkg}"_*.dsc | head -1)"
  dpkg-source --no-check -x "$dsc" "$deps/src/$pkg" >/dev/null
  echo "$deps/src/$pkg"
}

cmake_dep() {  # cmake_dep <source folder> <cmake options...>
  local src="$1"; shift
  cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DNC_WINDOWS_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$src/_build" -j "$jobs" >/dev/null
  cmake --install "$src/_build" >/dev/null
}

# step <name>: true when the library still has to be built (its marker is set by done <name>).
step() { if [ -f "$deps/done/$1" ]; then return 1; fi; echo "windows deps: $1"; rm -rf "$deps/src/$1" "$deps/src/$1"_* ; }
done_step() { touch "$deps/done/$1"; }

cc=x86_64-w64-mingw32-gcc-posix
cxx=x86_64-w64-mingw32-g++-posix
ar=x86_64-w64-mingw32-ar

if step libsdl2; then
  cmake_dep "$(fetch libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_AUDIO=OFF -DSDL_HAPTIC=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF
  done_step libsdl2
fi

# zlib and libpng: SDL2_image decodes PNG files with libpng as on Linux, which refuses damaged files
# (stb, its built-in decoder, would show them); FreeType uses the same zlib. No JPEG: the program has none.
if step zlib; then
  src="$(fetch zlib)"
  ( cd "$src" && for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
                          inftrees trees uncompr zutil; do $cc -O2 -c $f.c; done && $ar rcs "$prefix/lib/libz.a" ./*.o )
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
  done_step zlib
fi
if step libpng1.6; then
  cmake_dep "$(fetch libpng1.6)" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
  done_step libpng1.6
fi

if step libsdl2-image; then
  cmake_dep "$(fetch libsdl2-image)" -DSDL2IMAGE_BACKEND_STB=OFF -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF \
    -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=OFF
  # A static-only build names its target SDL2_image::SDL2_image-static; give it the usual name too.
  printf '%s\n' 'if(TARGET SDL2_image::SDL2_image-static AND NOT TARGET SDL2_image::SDL2_image)' \
    '  add_library(SDL2_image::SDL2_image ALIAS SDL2_image::SDL2_image-static)' 'endif()' \
    >> "$prefix/lib/cmake/SDL2_image/SDL2_imageConfig.cmake"
  done_step libsdl2-image
fi

if step freetype; then
  # With the zlib above: left alone, FreeType would link its own copy, whose symbols clash with it.
  cmake_dep "$(fetch freetype)" -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  done_step freetype
fi

if step googletest; then
  cmake_dep "$(fetch googletest)" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  done_step googletest
fi

if step curl; then
  cmake_dep "$(fetch curl)" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBSSH2=OFF \
    -DCURL_DISABLE_LDAP=ON -DENABLE_MANUAL=OFF -DCURL_CA_PATH=none -DCURL_CA_BUNDLE=none
  done_step curl
fi

if step tinyxml; then
src="$(fetch tinyxml)"
( cd "$src" && for f in tinyxml tinystr tinyxmlerror tinyxmlparser; do $cxx -O2 -DTIXML_USE_STL -c $f.cpp; done \
  && $ar rcs "$prefix/lib/libtinyxml.a" tinyxml.o tinystr.o tinyxmlerror.o tinyxmlparser.o \
  && cp tinyxml.h tinystr.h "$prefix/include/" )
done_step tinyxml
fi
if step tinyxml2; then
src="$(fetch tinyxml2)"
( cd "$src" && $cxx -O2 -c tinyxml2.cpp && $ar rcs "$prefix/lib/libtinyxml2.a" tinyxml2.o \
  && cp tinyxml2.h "$prefix/include/" )
done_step tinyxml2
fi

if step libdeflate; then
  src="$(fetch libdeflate)"
  # Its Makefile names the static library for Windows libdeflatestatic.lib.
  make -C "$src" -j "$jobs" CC="$cc" AR="$ar" libdeflatestatic.lib >/dev/null
  cp "$src/libdeflatestatic.lib" "$prefix/lib/libdeflate.a" && cp "$src/libdeflate.h" "$prefix/include/"
  done_step libdeflate
fi

# Boost: the headers and the compiled parts we link (Thread, System, Regex), built straight from their
# sources; only those folders are unpacked from the large original tarball.
if step boost1.74; then
( cd "$deps/src" && apt-get "${apt_opts[@]}" -qq source --download-only boost1.74 >/dev/null )
orig="$(ls "$deps/src"/boost1.74_*.orig.tar.* | head -1)"
top="$(tar -tf "$orig" 2>/dev/null | head -1 | cut -d/ -f1 || true)"
# The tarball keeps each library's headers in libs/<name>/include (libs/numeric/<name>/include).
tar -xf "$orig" -C "$deps/src" --wildcards "$top/libs/*/include/*" \
    "$top/libs/thread/src/*" "$top/libs/regex/src/*" "$top/libs/system/src/*" "$top/libs/chrono/src/*" \
    "$top/libs/atomic/src/*" "$top/libs/date_time/src/*"
boost="$deps/src/$top"
mkdir -p "$prefix/include/boost"
for inc in "$boost"/libs/*/include/boost "$boost"/libs/numeric/*/include/boost; do
  if [ -d "$inc" ]; then cp -r "$inc/." "$prefix/include/boost/"; fi
done
mkdir -p "$boost/_obj"
( cd "$boost/_obj"
  flags=(-O2 -w -std=c++17 -I"$prefix/include" -DBOOST_THREAD_BUILD_LIB -DBOOST_THREAD_USE_LIB -DBOOST_ALL_NO_LIB)
  for f in ../libs/regex/src/*.cpp; do echo "$f"; done | xargs -P "$jobs" -I{} sh -c "$cxx ${flags[*]} -c {}"
  $ar rcs "$prefix/lib/libboost_regex.a" ./*.o && rm -f ./*.o
  for f in ../libs/thread/src/win32/thread.cpp ../libs/thread/src/win32/tss_dll.cpp ../libs/thread/src/win32/tss_pe.cpp \
           ../libs/thread/src/win32/thread_primitives.cpp ../libs/thread/src/future.cpp; do
    $cxx "${flags[@]}" -c "$f"
  done
  $ar rcs "$prefix/lib/libboost_thread.a" ./*.o && rm -f ./*.o
  $cxx "${flags[@]}" -c ../libs/system/src/error_code.cpp
  $ar rcs "$prefix/lib/libboost_system.a" ./*.o && rm -f ./*.o
  # What Thread itself depends on.
  for f in ../libs/chrono/src/*.cpp; do $cxx "${flags[@]}" -c "$f"; done
  $ar rcs "$prefix/lib/libboost_chrono.a" ./*.o && rm -f ./*.o
  for f in ../libs/atomic/src/*.cpp; do $cxx "${flags[@]}" -I../libs/atomic/src -c "$f"; done
  $ar rcs "$prefix/lib/libboost_atomic.a" ./*.o && rm -f ./*.o
  $cxx "${flags[@]}" -c ../libs/date_time/src/gregorian/greg_month.cpp
  $ar rcs "$prefix/lib/libboost_date_time.a" ./*.o && rm -f ./*.o )
done_step boost1.74
fi

echo "$hash" > "$stamp"
echo "windows deps: done in $prefix"

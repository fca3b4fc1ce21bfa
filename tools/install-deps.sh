#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing. With --windows,
# only what the Windows cross-build and its tests under Wine need besides.
set -euo pipefail
if [ "${1:-}" = "--windows" ]; then
  packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    wine wine64 dpkg-dev locales xvfb xdotool imagemagick
  )
else
packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libbenchmark-dev
  libboost-dev libboost-thread-dev libboost-system-dev libboost-regex-dev
  libtinyxml-dev libtinyxml2-dev libcurl4-openssl-dev libboost-stacktrace-dev
  libmicrohttpd-dev libsqlite3-dev
  libsdl2-dev libsdl2-image-dev libdeflate-dev libfreetype-dev
  fonts-wqy-zenhei fonts-arphic-ukai
  iputils-ping valgrind python3 nginx
  postgresql libpq-dev
  libkainjow-mustache-dev libsodium-dev chromium
  xvfb xdotool imagemagick x11-utils
)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

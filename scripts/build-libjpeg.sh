#!/usr/bin/env bash
# build-libjpeg.sh PREFIX
# Builds the IJG libjpeg API (libjpeg-turbo, no SIMD) for MinGW-w64 x64 into PREFIX, once.
set -euo pipefail
prefix=$1
[ -f "$prefix/lib/libjpeg.a" ] && exit 0
root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/build/deps/src/libjpeg-turbo"
"$root/scripts/fetch-source.sh" libjpeg-turbo "$src"
bld="$root/build/deps/build-libjpeg"
rm -rf "$bld"
cmake -S "$src" -B "$bld" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$bld" --target install >/dev/null
echo "libjpeg: installed to $prefix"

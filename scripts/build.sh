#!/usr/bin/env bash
# build.sh [win|native|all]  (default: win)
# Configures and builds into build/win (Windows x64, MinGW) and build/native (clang, sanitizers).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-win}
jobs=$(nproc)
if [ "$what" = win ] || [ "$what" = all ]; then
  "$root/scripts/build-libjpeg.sh" "$root/build/deps/libjpeg"
  if [ ! -f "$root/build/win/build.ninja" ]; then
    cmake -S "$root" -B "$root/build/win" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$root/build/win" -j "$jobs"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  if [ ! -f "$root/build/native/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$root/build/native" -j "$jobs"
fi

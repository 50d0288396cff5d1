#!/usr/bin/env bash
# build.sh [win|native|all]  (default: win)
# Configures and builds into build/win (Windows x64, MinGW) and build/native (clang, sanitizers).
# QW_BUILD_TAG=x builds into build/win-x and build/native-x instead (separate trees for
# parallel work); QW_TARGETS="a b" builds only those targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-win}
jobs=$(nproc)
# Ninja starts no new job while the load average is above this, so builds that share the
# machine (several work trees, tests running) do not swamp it.
load=$((jobs + 2))
tag=${QW_BUILD_TAG:+-$QW_BUILD_TAG}
win="$root/build/win$tag"; native="$root/build/native$tag"
targets=()
for t in ${QW_TARGETS:-}; do targets+=(--target "$t"); done
if [ "$what" = win ] || [ "$what" = all ]; then
  "$root/scripts/build-libjpeg.sh" "$root/build/deps/libjpeg"
  if [ ! -f "$win/build.ninja" ]; then
    cmake -S "$root" -B "$win" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$win" -j "$jobs" "${targets[@]}" -- -l "$load"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  if [ ! -f "$native/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$native" -j "$jobs" "${targets[@]}" -- -l "$load"
fi

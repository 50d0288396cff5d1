#!/usr/bin/env bash
# Installs what the build and the tests need. Idempotent: a second run only checks.
# Run as root on Debian 12 (bookworm).
set -euo pipefail

need_pkgs=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64 fonts-wine fonts-liberation xvfb xauth x11-apps x11-utils imagemagick
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libpng-dev zlib1g-dev libjpeg-dev dpkg-dev pkg-config
  python3 python3-pil fonts-dejavu-core
  fonts-font-awesome   # the icon font the build embeds (cmake/IconFont.cmake checks it)
)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# npm fetches test data; a machine may already have Node.js with its own npm from another
# source, and the distribution's npm package would conflict with it.
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # wine wants the i386 architecture on some installs; we use 64-bit wine only.
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The MinGW compilers must default to the posix thread model (std::thread).
for t in g++ gcc; do
  cur=$(update-alternatives --query x86_64-w64-mingw32-$t 2>/dev/null | awk '/^Value:/{print $2}')
  if [ -n "$cur" ] && [ "${cur%-posix}" = "$cur" ]; then
    update-alternatives --set x86_64-w64-mingw32-$t /usr/bin/x86_64-w64-mingw32-$t-posix >/dev/null
  fi
done
echo "setup: packages ok"

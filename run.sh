#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine.
# Without a display it runs under Xvfb, saves a screenshot of the main window to out/ and exits.
#   ./run.sh [--simulator] [program arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
[ "$(id -u)" = 0 ] && ./scripts/setup.sh || echo "run.sh: not root, skipping package installation"
./scripts/build.sh win
headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; unset DISPLAY; fi
. ./scripts/wine-env.sh
qw_start_wine
trap qw_stop_wine EXIT
exe="$root/build/win/app/QweltaWheel.exe"
mkdir -p out
if [ "$headless" = 1 ]; then
  wine "$exe" "$@" &
  pid=$!
  for _ in $(seq 1 100); do
    sleep 0.2
    xwininfo -root -tree 2>/dev/null | grep -q 'Qwelta Wheel Configuration' && break
  done
  sleep 2
  id=$(xwininfo -root -tree | awk '/"Qwelta Wheel Configuration/{print $1; exit}')
  if [ -n "$id" ]; then
    import -window "$id" out/main-window.png && echo "run.sh: screenshot saved to out/main-window.png"
  else
    import -window root out/main-window.png && echo "run.sh: main window not found; screen saved to out/main-window.png"
  fi
  kill $pid 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
else
  wine "$exe" "$@"
fi

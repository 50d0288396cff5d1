#!/usr/bin/env bash
# wine-ppi.sh PPI PROGRAM [ARGS...]
# Runs a Windows program under a second Wine prefix whose screen has PPI pixels per inch (the
# prefix's LogPixels), beside the project's own prefix, which stays at 96. The prefix is made
# and configured once, like the main one, and kept (build/wineprefix-ppiNNN).
set -euo pipefail
ppi=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
main_prefix="${QW_WINEPREFIX:-${WINEPREFIX:-$root/build/wineprefix}}"
export QW_WINEPREFIX="${main_prefix%/}-ppi$ppi"
. "$root/scripts/wine-env.sh"
qw_wine_prefix
if [ ! -f "$WINEPREFIX/.qw-ppi" ] || [ "$(cat "$WINEPREFIX/.qw-ppi")" != "$ppi" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ppi" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$ppi" /f >/dev/null 2>&1
  wineserver -w
  echo "$ppi" > "$WINEPREFIX/.qw-ppi"
fi
# Its own wineserver, which ends by itself a few seconds after the program.
exec wine "$@"

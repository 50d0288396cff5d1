# Source this file: sets up Xvfb (when there is no display), one persistent wineserver and
# the project's own Wine prefix (build/wineprefix), made once and configured for the program.
# Exports DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES. QW_WINEPREFIX overrides the prefix
# (one per developer shell when several work in one tree at once).
qw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${QW_WINEPREFIX:-$qw_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts
export WINEARCH=win64

qw_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Xvfb picks a free display itself and tells its number through a pipe.
  local fifo n
  fifo=$(mktemp -u /tmp/qw-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QW_XVFB_PID=$!
  read -r -t 20 n <"$fifo" || n=""
  rm -f "$fifo"
  if [ -z "$n" ]; then echo "wine-env: Xvfb did not start" >&2; return 1; fi
  export DISPLAY=:$n
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "wine-env: Xvfb on :$n does not answer" >&2; return 1
}

qw_wine_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.qw-configured" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # The program paints its own frames: no window manager decorations, no management.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    # A fixed Windows version, so results do not depend on the Wine default.
    wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
    # No desktop composition: the program's fallbacks are the ones tested.
    wine reg add 'HKCU\Software\Microsoft\Windows\DWM' /v Composition /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.qw-configured"
  fi
  # A new prefix gets none of Wine's own fonts: the caption buttons' glyph font "Marlett" would
  # fall back to a text face. Copied in and registered once (also into older prefixes).
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/marlett.ttf"
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Marlett (TrueType)' /d marlett.ttf /f >/dev/null 2>&1
    # The registry is written when that server ends; a persistent one can start only after.
    wineserver -w
  fi
}

qw_start_wine() {
  qw_start_xvfb || return 1
  qw_wine_prefix
  # Persistent (one may already run for this prefix): every test executable starts in a
  # fraction of a second.
  wineserver -p 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1 || true
}

qw_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${QW_XVFB_PID:-}" ]; then kill "$QW_XVFB_PID" 2>/dev/null || true; fi
}

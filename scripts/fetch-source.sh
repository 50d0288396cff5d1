#!/usr/bin/env bash
# fetch-source.sh PACKAGE DESTDIR
# Unpacks the Debian source package PACKAGE into DESTDIR (once; later runs reuse it).
# Uses a private deb-src list and private apt state, so the system's lists stay as they are.
set -euo pipefail
pkg=$1; dest=$2
if [ -f "$dest/.fetched" ]; then exit 0; fi
root=$(cd "$(dirname "$0")/.." && pwd)
apt_dir="$root/build/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
[ -n "$uri" ] || uri=http://deb.debian.org/debian
printf 'deb-src %s %s main\n' "$uri" "$suite" > "$apt_dir/sources.list"
opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache::Archives="$apt_dir/archives")
if ! ls "$apt_dir/lists/"*Sources* >/dev/null 2>&1; then
  apt-get "${opts[@]}" update -qq
fi
work=$(mktemp -d "$apt_dir/src.XXXXXX")
(cd "$work" && apt-get "${opts[@]}" source -qq "$pkg" >/dev/null 2>&1) || {
  echo "fetch-source: could not fetch the source package $pkg" >&2; rm -rf "$work"; exit 1; }
top=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
rm -rf "$dest"; mkdir -p "$(dirname "$dest")"; mv "$top" "$dest"; rm -rf "$work"
touch "$dest/.fetched"

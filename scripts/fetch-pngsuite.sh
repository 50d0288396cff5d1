#!/usr/bin/env bash
# fetch-pngsuite.sh [DESTDIR]
# Makes the PNG conformance images available for the decoder's conformance test: unpacks the
# distribution's libpng source package once (cached under build/deps/src) and prints the
# folder that holds the suite. Later runs only print the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src=${1:-$root/build/deps/src/libpng1.6}
"$root/scripts/fetch-source.sh" libpng1.6 "$src"
echo "$src/contrib/pngsuite"

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (Windows tests under Wine
# with Xvfb, native sanitizer tests and bounded fuzz runs). Ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
[ "$(id -u)" = 0 ] && ./scripts/setup.sh || echo "test.sh: not root, skipping package installation"
./scripts/build.sh all
. ./scripts/wine-env.sh
qw_start_wine
trap qw_stop_wine EXIT
# One CTest run over both builds, so there is one summary.
cat > build/CTestTestfile.cmake <<'CT'
subdirs("win" "native")
CT
cd build
ctest --output-on-failure -j "$(nproc)" "$@"

#!/usr/bin/env bash
# Runs every test of a build folder with ctest. Unit and dialog tests use Qt's
# offscreen platform; end-to-end tests start their own Xvfb or headless sway,
# so no display is needed here. Then the Windows back end's tests under Wine,
# when the cross compiler and Wine are installed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
cd "$top"
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK QUORVEL_BACKEND
export DBUS_SESSION_BUS_ADDRESS=disabled:
status=0
ctest --test-dir "$build" --output-on-failure --timeout 300 -j2 || status=$?
if [ -x scripts/test-win32.sh ]; then
    scripts/test-win32.sh || status=$?
fi
exit $status

#!/usr/bin/env bash
# Runs every test of a build folder with ctest. Unit and dialog tests use Qt's
# offscreen platform; end-to-end tests start their own Xvfb or headless sway,
# so no display is needed here. Then the Windows back end's tests under Wine,
# when the cross compiler and Wine are installed, today's desktops in the
# Debian 13 root when it is there (scripts/test-debian13.sh), and in CI the
# Debian package (scripts/test-package.sh).
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
scripts/test-debian13.sh || status=$?
# The Debian package, installed and removed with apt: only where asked to
# (QUORVEL_REQUIRE_PACKAGE=1 in CI, as root), since it changes the system.
scripts/test-package.sh "$build" || status=$?
exit $status

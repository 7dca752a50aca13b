#!/usr/bin/env bash
# Takes a screenshot of the main window under a private Xvfb, for the README.
# Usage: scripts/screenshot.sh [OUTPUT.png] (default docs/main-window.png)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/docs/main-window.png}
binary=${QUORVEL_BINARY:-$top/build/quorvel}
mkdir -p "$(dirname "$out")"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/displayfd")"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" DBUS_SESSION_BUS_ADDRESS=disabled:
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"

"$binary" >/dev/null 2>&1 &
app_pid=$!
timeout 20 xdotool search --sync --onlyvisible --name "^Quorvel Software Utility" >/dev/null
sleep 1
window=$(xdotool search --onlyvisible --name "^Quorvel Software Utility" | head -n1)
import -window "$window" "$out"
echo "wrote $out"

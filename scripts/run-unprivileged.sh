#!/usr/bin/env bash
# Runs a test program as the unprivileged user "nobody" when started as root,
# so that file permissions apply to it; as itself otherwise.
set -euo pipefail
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null 2>&1; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
fi
exec "$@"

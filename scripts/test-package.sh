#!/usr/bin/env bash
# The Debian package end to end, as a user gets it: built with
# dpkg-buildpackage and checked by lintian (scripts/build-deb.sh), installed
# with apt, then: /usr/bin/quorvel --version, `man quorvel`, xdg-open of a
# sequence playing it on an Xvfb (tst_filetype_e2e of the build folder named),
# and `apt remove` leaving no file of the package behind.
#
# It installs a package system-wide, so it runs only as root and only when
# asked to (QUORVEL_REQUIRE_PACKAGE=1, as .ci/run does); otherwise it says it
# skipped. Usage: scripts/test-package.sh <test build folder> [<package>]
# (a package built before by scripts/build-deb.sh --lintian is taken as it is).
set -u

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
if [ "${QUORVEL_REQUIRE_PACKAGE:-0}" != 1 ]; then
    echo "package: skipped (it installs system-wide; QUORVEL_REQUIRE_PACKAGE=1 runs it, as root)"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "FAIL package: required, but installing a package needs root"
    exit 1
fi

started=$(date +%s)
failed=0
fail() { echo "FAIL package: $*"; failed=1; }
version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
export DEBIAN_FRONTEND=noninteractive

if [ -n "${2:-}" ]; then
    deb=$(realpath "$2")
elif deb=$("$top/scripts/build-deb.sh" --lintian | tail -n 1); then
    echo "package: built $deb and lintian is content ($(($(date +%s) - started)) s)"
else
    fail "the package did not build, or lintian found errors or warnings"
    exit 1
fi

# Without its recommendations, which only the desktops need: nothing more to
# fetch on a machine with the build dependencies.
if ! timeout 300 apt-get install -y -qq --no-install-recommends "$deb" >/dev/null; then
    fail "apt-get install $deb failed"
    exit 1
fi
trap 'timeout 300 apt-get remove -y -qq quorvel >/dev/null 2>&1' EXIT
mapfile -t files < <(dpkg-query -L quorvel | while read -r f; do [ -d "$f" ] || echo "$f"; done)

line=$(/usr/bin/quorvel --version | head -n 1)
[ "$line" = "quorvel $version" ] || fail "/usr/bin/quorvel --version says '$line', not 'quorvel $version'"
page=$(man -w quorvel 2>&1)
[ "$page" = /usr/share/man/man1/quorvel.1.gz ] || fail "man quorvel finds '$page'"

# The e2e test brings its own Xvfb and temporary home.
(cd "$build" && QUORVEL_INSTALLED_PROGRAM=/usr/bin/quorvel QUORVEL_BUILD_DIR="$build" \
    QUORVEL_SOURCE_DIR="$top" DBUS_SESSION_BUS_ADDRESS=disabled: ASAN_OPTIONS=detect_leaks=0 \
    timeout -k 5 180 ./tst_filetype_e2e installedPackageOpensSequences) >"$build/package-xdg-open.log" 2>&1 ||
    fail "xdg-open of a sequence did not play it with the installed program: $(tail -n 20 "$build/package-xdg-open.log")"

if timeout 300 apt-get remove -y -qq quorvel >/dev/null; then
    trap - EXIT
    for f in "${files[@]}"; do
        [ -e "$f" ] && fail "apt remove left $f"
    done
    [ -e /usr/share/doc/quorvel ] && fail "apt remove left /usr/share/doc/quorvel"
else
    fail "apt-get remove quorvel failed"
fi
echo "package: finished in $(($(date +%s) - started)) s"
[ "$failed" -eq 0 ] && echo "package: all passed"
exit "$failed"

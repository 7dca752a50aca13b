#!/usr/bin/env bash
# Today's desktops, in the Debian 13 root of scripts/debian13-root.sh (GNOME
# 48, Plasma 6.3, Qt 6.8, GCC 14, libei):
#   - the program built as `make run` builds it (Release, the default flags:
#     warnings are not errors), in build-debian13-release/;
#   - the test build (sanitizers, warnings as errors) in build-debian13/, of
#     the program, the unit tests and the desktops' tests, with its unit tests;
#   - the GNOME and the KDE end-to-end tests against the real stacks, each
#     stack in a network namespace of its own;
#   - the Debian package (make package: dpkg-buildpackage and lintian, no
#     error and no warning), installed with apt there and tried.
# It builds the root when it is missing, which needs root (sudo otherwise)
# and about 600 MB of downloads; without the root and unless
# QUORVEL_REQUIRE_DEBIAN13=1 (CI), it says that it skipped. Ends with
# "debian13: N passed, M failed".
set -u

top=$(cd "$(dirname "$0")/.." && pwd)
root_script="$top/scripts/debian13-root.sh"
root=${QUORVEL_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvel/debian13-root}

if [ "${QUORVEL_REQUIRE_DEBIAN13:-0}" != 1 ] && [ ! -f "$root/.quorvel-packages" ]; then
    echo "debian13: skipped (no Debian 13 root; scripts/debian13-root.sh build makes one, QUORVEL_REQUIRE_DEBIAN13=1 requires it)"
    exit 0
fi

started=$(date +%s)
passed=0
failed=0
step() {
    local name=$1
    shift
    local begun=$SECONDS
    if "$@" >"$log/$name.log" 2>&1; then
        passed=$((passed + 1))
        echo "debian13: $name passed ($((SECONDS - begun)) s)"
    else
        failed=$((failed + 1))
        echo "FAIL debian13: $name ($((SECONDS - begun)) s):"
        tail -n 60 "$log/$name.log"
    fi
}
log=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-debian13.XXXXXX")
trap 'rm -rf "$log"' EXIT

if ! "$root_script" build >"$log/root.log" 2>&1; then
    tail -n 30 "$log/root.log"
    echo "debian13: 0 passed, 1 failed (the root could not be made)"
    exit 1
fi
inside() { "$root_script" run "$@"; }
jobs=${QUORVEL_JOBS:-$(nproc)}

# As `make run` builds it, and as the README's cmake lines do.
step release inside sh -c "cmake -S . -B build-debian13-release -DCMAKE_BUILD_TYPE=Release -DQUORVEL_SANITIZE=OFF \
    && cmake --build build-debian13-release -j$jobs --target quorvel"
# The test build: what the unit tests and the two desktops' tests need.
step build inside sh -c "cmake -S . -B build-debian13 -DQUORVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_WERROR=ON \
    && cmake --build build-debian13 -j$jobs --target quorvel quorvel_unit_tests tst_gnome_e2e tst_kde_e2e"
if [ -x "$top/build-debian13/tst_gnome_e2e" ]; then
    step unit inside ctest --test-dir build-debian13 -L unit --output-on-failure --timeout 300 -j2
    # Each desktop stack in a network namespace of its own: Xwayland's
    # abstract sockets would clash with the host's otherwise.
    for desktop in gnome kde; do
        step "$desktop" "$root_script" net env DBUS_SESSION_BUS_ADDRESS=disabled: \
            ctest --test-dir build-debian13 -R "^tst_${desktop}_e2e\$" --output-on-failure --timeout 600
    done
fi
# The package, built and checked there, installed with apt and tried.
step package inside sh -c 'QUORVEL_DEB_OUT=build-debian13-deb scripts/build-deb.sh --lintian >/tmp/deb.path \
    && deb=$(tail -n 1 /tmp/deb.path) \
    && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null \
    && quorvel --version | head -n 1 && test -f /usr/share/applications/com.corvane.quorvel.desktop \
    && DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq quorvel >/dev/null'

echo "debian13: finished in $(($(date +%s) - started)) s"
echo "debian13: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the Win32 back end and its tests with mingw-w64 (build-win32/) and
# runs every test program under Wine, on an Xvfb display and in a fresh Wine
# prefix of its own. Then, when the Qt for mingw of scripts/build-qt-mingw.sh
# is there, builds the whole program (scripts/build-windows.sh) and runs its
# end-to-end test under Wine. Installs nothing; without the tools or that Qt
# it says so and succeeds, unless QUORVEL_REQUIRE_WIN32=1.
#
# Ends with "win32: N passed, M failed" (test cases of all programs) and a
# non-zero exit status when anything failed. Everything it starts (Xvfb, the
# Wine server and the Wine processes) is stopped before it exits.
set -u

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-win32"
compiler=x86_64-w64-mingw32-g++-posix
per_test_timeout=120

have() { command -v "$1" >/dev/null 2>&1; }

wine=wine
have wine64 && wine=wine64
if ! have "$compiler" || ! have "$wine" || ! have wineserver || ! have wineboot || ! have Xvfb; then
    if [ "${QUORVEL_REQUIRE_WIN32:-0}" = 1 ]; then
        echo "win32: required, but $compiler, wine, wineserver, wineboot or Xvfb is missing"
        echo "win32: 0 passed, 1 failed"
        exit 1
    fi
    echo "win32: skipped (no mingw-w64 or wine)"
    exit 0
fi

started=$(date +%s)
passed=0
failed=0
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-win32.XXXXXX")
xvfb_pid=
wine_started=

stop_everything() {
    if [ -n "$wine_started" ]; then
        # Ends every process of the prefix and then the server itself.
        timeout -k 5 20 wineserver -k </dev/null >/dev/null 2>&1
        timeout -k 5 20 wineserver -w </dev/null >/dev/null 2>&1
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap stop_everything EXIT
trap 'exit 130' INT TERM

finish() {
    echo "win32: finished in $(($(date +%s) - started)) s"
    echo "win32: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

# Build. -j2: the machine is shared.
echo "win32: building in $build"
if ! cmake -S "$top/tests/win32" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$tmp/configure.log" 2>&1 ||
    ! cmake --build "$build" -j2 >"$tmp/build.log" 2>&1; then
    cat "$tmp/configure.log" "$tmp/build.log" 2>/dev/null | tail -n 40
    echo "FAIL win32: the build failed"
    failed=1
    finish
fi
mapfile -t tests < <(find "$build" -maxdepth 1 -name '*_test.exe' | sort)
if [ "${#tests[@]}" -eq 0 ]; then
    echo "FAIL win32: the build made no test program"
    failed=1
    finish
fi

# The whole program, against the cached Qt; built here so that it is never
# older than the sources.
program=
if qt=$("$top/scripts/build-qt-mingw.sh" --check 2>/dev/null); then
    echo "win32: building quorvel.exe against $qt"
    if "$top/scripts/build-windows.sh" >"$tmp/windows.log" 2>&1; then
        program="$top/build-windows/deploy/quorvel/quorvel.exe"
        tail -n 1 "$tmp/windows.log"
    else
        tail -n 40 "$tmp/windows.log"
        echo "FAIL win32 program: the build failed"
        failed=$((failed + 1))
    fi
elif [ "${QUORVEL_REQUIRE_WIN32:-0}" = 1 ]; then
    echo "FAIL win32 program: required, but there is no Qt for mingw (scripts/build-qt-mingw.sh builds it)"
    failed=$((failed + 1))
else
    echo "win32: program test skipped: no Qt for mingw (scripts/build-qt-mingw.sh builds it in about 20 minutes)"
fi

# A private X display: Wine needs one for windows and input.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" </dev/null >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -q '^[0-9]' "$tmp/display" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^[0-9]' "$tmp/display" 2>/dev/null; then
    cat "$tmp/xvfb.log"
    echo "FAIL win32: Xvfb did not start"
    failed=1
    finish
fi

# A fresh prefix for this run, away from the user's home. The empty DLL
# overrides skip the Mono and Gecko installers; winemenubuilder would turn
# the registered file type into desktop files.
mkdir -p "$tmp/home"
export DISPLAY=":$(head -n 1 "$tmp/display")"
export WINEPREFIX="$tmp/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_DATA_HOME="$tmp/home/.local/share"
export XDG_CACHE_HOME="$tmp/home/.cache" DBUS_SESSION_BUS_ADDRESS=disabled:
# With Qt's default (GDI) font engine under Wine, a QLineEdit draws no text at
# all, whatever its font, and Qt takes the metrics of the host font Wine offers
# for every family (here "DejaVu Math TeX Gyre"), which clips labels: a plain Qt
# program of a few labels and line edits shows the same. The program therefore
# picks Qt's FreeType engine itself when it runs under Wine; nothing is set
# here, so that the edit-field test checks that it does.
unset WAYLAND_DISPLAY

# The server runs until `wineserver -k`; its output goes nowhere, so that no
# reader of this script's output waits on it.
wine_started=1
wineserver -p </dev/null >/dev/null 2>&1
boot_started=$(date +%s)
if ! timeout -k 5 180 wineboot -i </dev/null >"$tmp/wineboot.log" 2>&1; then
    tail -n 20 "$tmp/wineboot.log"
    echo "FAIL win32: wineboot did not finish"
    failed=1
    finish
fi
echo "win32: Wine prefix ready on display $DISPLAY in $(($(date +%s) - boot_started)) s"

# Runs one test program under Wine and counts its cases.
run_test() {
    local exe=$1 timeout=$2
    shift 2
    local name log status summary case_passed=0 case_failed=0 test_started
    name=$(basename "$exe" .exe)
    log="$tmp/$name.log"
    test_started=$(date +%s)
    # Output to a file, not a pipe: Wine's helper processes inherit it and
    # live on until the server is stopped.
    timeout -k 5 "$timeout" "$wine" "$exe" "$@" </dev/null >"$log" 2>&1
    status=$?
    tr -d '\r' <"$log" >"$log.txt"
    grep -E '^(PASS|FAIL|    )' "$log.txt"
    summary=$(grep -E '^[^:]+: [0-9]+ passed, [0-9]+ failed$' "$log.txt" | tail -n 1)
    if [ -n "$summary" ]; then
        case_passed=$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$summary")
        case_failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$summary")
    fi
    if [ "$status" -ne 0 ] && [ "$case_failed" -eq 0 ]; then
        # Crashed, timed out or never got to its summary: count it as one failure.
        case_failed=1
        if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
            echo "FAIL $name: timed out after $timeout s"
        else
            echo "FAIL $name: exited with status $status"
        fi
        grep -v -E '^(PASS|FAIL|    )' "$log.txt" | tail -n 20
    fi
    passed=$((passed + case_passed))
    failed=$((failed + case_failed))
    echo "-- $name: $case_passed passed, $case_failed failed, $(($(date +%s) - test_started)) s"
}

for exe in "${tests[@]}"; do
    run_test "$exe" "$per_test_timeout"
done
if [ -n "$program" ]; then
    # The program by its Windows path: the prefix's drive Z: is /.
    # And its installer, when makensis made one.
    setup="$top/build-windows/quorvel-setup-x64.exe"
    setup_arg=()
    if [ -f "$setup" ]; then
        setup_arg=("Z:${setup//\//\\}")
    elif [ "${QUORVEL_REQUIRE_WIN32:-0}" = 1 ]; then
        echo "FAIL win32 installer: required, but build-windows.sh made none (is nsis installed?)"
        failed=$((failed + 1))
    else
        echo "win32: installer test skipped: no makensis (Debian package nsis)"
    fi
    run_test "$build/win32_program_e2e.exe" 420 "Z:${program//\//\\}" "${setup_arg[@]}"
fi
finish

#!/usr/bin/env bash
# Cross-builds Qt for 64-bit Windows (mingw-w64) from Debian's own qt6-base
# source, the same version as the host tools (moc, rcc, uic) it relies on:
# Core, Gui, Widgets, the windows and offscreen platform plugins and the
# vista style. Installs them into a cache outside the repository and prints
# that folder on its last line; a second run finds the cache and returns at once.
# With --check it only prints the folder of a complete cache, or fails.
#
#   QUORVEL_QT_MINGW  the install folder
#                     (default ${XDG_CACHE_HOME:-~/.cache}/quorvel/qt6-mingw-<version>)
#
# Needs scripts/install-deps.sh --win32. When apt has no source index yet, it
# adds /etc/apt/sources.list.d/quorvel-deb-src.sources (the deb-src twin of
# debian.sources) and runs apt-get update, with sudo when not root.
# The build takes about 20 minutes on 2 cores.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
package_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) || {
    echo "build-qt-mingw: qt6-base-dev-tools is not installed (scripts/install-deps.sh --win32)" >&2
    exit 1
}
version=${package_version%%+*}
prefix=${QUORVEL_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvel/qt6-mingw-$version}
stamp="$prefix/quorvel-qt-complete"

if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi
if [ "${1:-}" = "--check" ]; then
    echo "build-qt-mingw: no Qt for mingw in $prefix" >&2
    exit 1
fi

for tool in x86_64-w64-mingw32-g++-posix ninja dpkg-source; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "build-qt-mingw: $tool is missing (scripts/install-deps.sh --win32)" >&2
        exit 1
    fi
done

work="$prefix.build"
rm -rf "$work" "$prefix"
mkdir -p "$work"
started=$(date +%s)
echo "build-qt-mingw: building Qt $version for Windows in $work" >&2

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    sources=/etc/apt/sources.list.d/debian.sources
    if [ ! -f "$sources" ]; then
        echo "build-qt-mingw: apt has no deb-src entry and there is no $sources to derive one from" >&2
        exit 1
    fi
    echo "build-qt-mingw: adding deb-src entries to apt" >&2
    sed 's/^Types: deb$/Types: deb-src/' "$sources" | $sudo tee /etc/apt/sources.list.d/quorvel-deb-src.sources >/dev/null
    $sudo apt-get update -qq
fi

(cd "$work" && apt-get source -qq "qt6-base=$package_version") >"$work/source.log" 2>&1 || {
    cat "$work/source.log" >&2
    echo "build-qt-mingw: apt-get source qt6-base=$package_version failed" >&2
    exit 1
}
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)

# Debian's tarball leaves out src/3rdparty/wintab, which the windows platform
# plugin needs only for tablet (pen) events: those are left out.
# QT_HOST_PATH_CMAKE_DIR: Debian keeps Qt's CMake files under lib/<triplet>/cmake.
mkdir -p "$work/build"
cd "$work/build"
"$source_dir/configure" -prefix "$prefix" -release -xplatform win32-g++ -qt-host-path /usr -no-opengl \
    -nomake tests -nomake examples -no-feature-sql -no-feature-network -no-feature-dbus \
    -no-feature-printsupport -no-feature-concurrent -no-feature-xml -no-feature-testlib \
    -no-feature-tabletevent \
    -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz -no-icu -no-fontconfig -no-zstd \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64-shared.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1 || {
    tail -n 40 "$work/configure.log" >&2
    echo "build-qt-mingw: configure failed (log: $work/configure.log)" >&2
    exit 1
}
echo "build-qt-mingw: configured after $(($(date +%s) - started)) s" >&2

# -j2: the machine is usually shared.
cmake --build . --parallel "${QUORVEL_QT_JOBS:-2}" >"$work/build.log" 2>&1 || {
    grep -E -A5 'FAILED|error' "$work/build.log" | head -n 60 >&2
    echo "build-qt-mingw: the build failed (log: $work/build.log)" >&2
    exit 1
}
cmake --install . --strip >"$work/install.log" 2>&1 || {
    tail -n 20 "$work/install.log" >&2
    echo "build-qt-mingw: the install failed (log: $work/install.log)" >&2
    exit 1
}

cd /
rm -rf "$work"
echo "Qt $package_version for x86_64-w64-mingw32, built by scripts/build-qt-mingw.sh" >"$stamp"
echo "build-qt-mingw: done in $(($(date +%s) - started)) s, $(du -sh "$prefix" | cut -f1) in $prefix" >&2
echo "$prefix"

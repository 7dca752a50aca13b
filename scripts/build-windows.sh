#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows (quorvel.exe) against the
# Qt that scripts/build-qt-mingw.sh builds (it runs first; a cached Qt is
# reused), and lays out a folder that runs on Windows as it is, and its zip:
#
#   build-windows/deploy/quorvel/   quorvel.exe, the Qt DLLs, the platform and
#                                   style plugins, the mingw run-time DLLs,
#                                   LICENSE.txt and licenses/ (the texts of
#                                   what it ships, as Qt's LGPL asks)
#   build-windows/quorvel-windows-x64.zip
#   build-windows/quorvel-setup-x64.exe   the installer (NSIS, when makensis
#                                   is installed; src/res/installer)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-windows"
deploy="$build/deploy/quorvel"
zip="$build/quorvel-windows-x64.zip"
triple=x86_64-w64-mingw32
compiler=$triple-g++-posix

qt=$("$top/scripts/build-qt-mingw.sh" | tail -n 1)

# A build folder configured against another Qt starts over.
if ! grep -qF "$qt/lib/cmake/Qt6/qt.toolchain.cmake" "$build/CMakeCache.txt" 2>/dev/null; then
    rm -rf "$build"
    # Qt's toolchain file finds Qt's packages in the cache and hands the
    # compiler settings on to ours; the host tools (moc, rcc, uic) are the
    # system's, of the same version.
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64-shared.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQUORVEL_TESTS=OFF
fi
# -j2: the machine is usually shared.
cmake --build "$build" --parallel "${QUORVEL_JOBS:-2}" --target quorvel

rm -rf "$deploy" "$zip"
mkdir -p "$deploy/platforms" "$deploy/styles"
"$triple-strip" -o "$deploy/quorvel.exe" "$build/quorvel.exe"
cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "$deploy/"
cp "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qoffscreen.dll" "$deploy/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$deploy/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$("$compiler" -print-file-name="$dll")
    if [ ! -f "$path" ]; then
        echo "build-windows: the mingw run-time $dll was not found" >&2
        exit 1
    fi
    # Stripped like the Qt DLLs (libstdc++ shrinks from 23 MB to 2).
    "$triple-strip" -o "$deploy/$dll" "$path"
done

# The licences: the program's own, and those of Qt (its Debian copyright file
# of the same 6.4.2 source, with every third-party part Qt bundles, and the
# licence texts it names) and of the mingw run-time.
cp "$top/LICENSE" "$deploy/LICENSE.txt"
mkdir -p "$deploy/licenses/Qt" "$deploy/licenses/mingw-w64"
qt_copyright=/usr/share/doc/libqt6core6/copyright
for text in "$qt_copyright" /usr/share/common-licenses/LGPL-3 /usr/share/common-licenses/GPL-3 \
    /usr/share/common-licenses/GPL-2 /usr/share/doc/gcc-mingw-w64-base/copyright \
    /usr/share/doc/mingw-w64-common/copyright; do
    if [ ! -f "$text" ]; then
        echo "build-windows: the licence text $text was not found" >&2
        exit 1
    fi
done
cp "$qt_copyright" "$deploy/licenses/Qt/copyright.txt"
for name in LGPL-3 GPL-3 GPL-2; do
    cp "/usr/share/common-licenses/$name" "$deploy/licenses/Qt/$name.txt"
done
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$deploy/licenses/mingw-w64/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$deploy/licenses/mingw-w64/mingw-w64.txt"

(cd "$build/deploy" && cmake -E tar cf "$zip" --format=zip quorvel)
echo "build-windows: $deploy ($(du -sh "$deploy" | cut -f1)), $zip ($(du -h "$zip" | cut -f1))"

# The installer. Its uninstaller removes exactly the files deployed here.
setup="$build/quorvel-setup-x64.exe"
rm -f "$setup"
if ! command -v makensis >/dev/null 2>&1; then
    echo "build-windows: no installer: makensis is not installed (Debian package nsis)"
    exit 0
fi
version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
files="$build/uninstall-files.nsh"
(
    cd "$deploy"
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|'
) >"$files"
makensis -V2 -NOCD -DVERSION="$version" -DDEPLOY="$deploy" -DICON="$top/src/res/icons/quorvel.ico" \
    -DFILES="$files" -DOUTFILE="$setup" "$top/src/res/installer/quorvel.nsi" >"$build/makensis.log" 2>&1 || {
    cat "$build/makensis.log" >&2
    echo "build-windows: makensis failed" >&2
    exit 1
}
echo "build-windows: $setup ($(du -h "$setup" | cut -f1))"

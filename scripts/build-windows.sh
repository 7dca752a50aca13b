#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows (quorvel.exe) against the
# Qt that scripts/build-qt-mingw.sh builds (it runs first; a cached Qt is
# reused), and lays out a folder that runs on Windows as it is, and its zip:
#
#   build-windows/deploy/quorvel/   quorvel.exe, the Qt DLLs, the platform and
#                                   style plugins, the mingw run-time DLLs
#   build-windows/quorvel-windows-x64.zip
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
(cd "$build/deploy" && cmake -E tar cf "$zip" --format=zip quorvel)
echo "build-windows: $deploy ($(du -sh "$deploy" | cut -f1)), $zip ($(du -h "$zip" | cut -f1))"

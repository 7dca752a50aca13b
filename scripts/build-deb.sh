#!/usr/bin/env bash
# Builds the Debian package the Debian way (dpkg-buildpackage with debian/),
# from a copy of the tracked sources in build-deb/, so that what it leaves
# stays in that folder:
#
#   build-deb/quorvel_<version>_amd64.deb   (and its .changes and .buildinfo)
#
# With --lintian it then runs lintian on it and fails on any error or warning.
# Prints the path of the package on its last line. QUORVEL_DEB_OUT names
# another folder of the sources than build-deb/ (the Debian 13 root's build
# uses one of its own).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/${QUORVEL_DEB_OUT:-build-deb}"
version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
source="$out/quorvel-$version"

rm -rf "$out"
mkdir -p "$source"
# The tracked files as they are in the working tree (with uncommitted
# changes, without the build folders).
if git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$top" && git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf -) | tar -xf - -C "$source"
else
    (cd "$top" && tar --exclude='./build*' --exclude=./.git -cf - .) | tar -xf - -C "$source"
fi

# Without libei (Debian 12 has none) the package is built without it.
if ! pkg-config --exists 'libei-1.0 >= 1.3.901' 2>/dev/null; then
    export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:+$DEB_BUILD_PROFILES }pkg.quorvel.nolibei"
fi

# -j2 unless told otherwise: the machine is usually shared.
export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=${QUORVEL_JOBS:-2}}"
(cd "$source" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 || {
    tail -n 40 "$out/build.log" >&2
    echo "build-deb: dpkg-buildpackage failed (build-deb/build.log)" >&2
    exit 1
}
rm -rf "$source"
deb="$out/quorvel_${version}_amd64.deb"
if [ ! -f "$deb" ]; then
    echo "build-deb: $deb was not made" >&2
    exit 1
fi
if [ "${1:-}" = "--lintian" ]; then
    # --fail-on warning: a warning fails as an error does; overrides are in
    # debian/quorvel.lintian-overrides, each with its reason.
    lintian --fail-on error,warning --tag-display-limit 0 "$out"/quorvel_"${version}"_amd64.changes >&2
fi
echo "$deb"

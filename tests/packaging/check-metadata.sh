#!/usr/bin/env bash
# What desktops and package tools read of the program, checked with their own
# tools: `cmake --install` into a fresh prefix lays out the AppStream data and
# the manual page; appstreamcli (pedantic) and desktop-file-validate accept
# them; man renders the page without a warning; and debian/changelog names
# the project's version. Usage: check-metadata.sh <source dir> <build dir>
set -u
src=$1 build=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-metadata.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" 2>&1 || fail "cmake --install: $(cat "$tmp/install.log")"
metainfo="$tmp/usr/share/metainfo/com.corvane.quorvel.metainfo.xml"
page="$tmp/usr/share/man/man1/quorvel.1"
version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")

if [ -f "$metainfo" ]; then
    out=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) || fail "appstreamcli: $out"
    # A hint or a pedantic remark is a finding as well, but for the one that
    # AppStream before 1.0 (Debian 12) makes of the <developer> tag, which
    # 1.0 (Debian 13) asks for in place of <developer_name>.
    grep -E '^[EWIP]:' <<<"$out" | grep -qv 'unknown-tag developer$' && fail "appstreamcli: $out"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "the newest release in $metainfo is not $version"
    grep -qF '<launchable type="desktop-id">com.corvane.quorvel.desktop</launchable>' "$metainfo" || fail "no launchable com.corvane.quorvel.desktop"
else
    fail "cmake --install made no $metainfo"
fi
out=$(desktop-file-validate "$tmp/usr/share/applications/com.corvane.quorvel.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"

if [ -f "$page" ]; then
    out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man -l warns: $out"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "Quorvel $version" || fail "the manual page does not name version $version"
else
    fail "cmake --install made no $page"
fi

changelog=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version 2>&1)
[ "$changelog" = "$version" ] || fail "debian/changelog says $changelog, CMakeLists.txt $version"

[ "$failed" -eq 0 ] && echo "metadata: all passed"
exit "$failed"

#!/usr/bin/env bash
# A Debian 13 (trixie) root file system for building and testing on today's
# desktops (GNOME 48, Plasma 6.3, Qt 6.8, GCC 14) on a Debian 12 machine.
#
#   scripts/debian13-root.sh build        makes the root, or brings it up to date,
#                                         and prints its folder on its last line
#   scripts/debian13-root.sh run CMD...   runs CMD inside it (as root), in the
#                                         sources, which are at /quorvel there
#   scripts/debian13-root.sh net CMD...   the same in a network namespace of its
#                                         own: for a desktop stack, whose Xwayland
#                                         sockets would clash with the host's
#
# The root is made with debootstrap from Debian's archive and kept in
# ${XDG_CACHE_HOME:-~/.cache}/quorvel/debian13-root (QUORVEL_DEBIAN13_ROOT
# overrides), as the Windows Qt is. It holds the GNOME stack, the KDE stack and
# the project's build dependencies, libei among them; when the list below
# changes, the next build installs what it adds. Each run mounts what a chroot
# needs (proc, sys, dev, dev/pts, dev/shm and the sources) in a mount namespace
# of its own, and unmounts it when the command ends, however it ends. Needs
# root (sudo otherwise).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
root=${QUORVEL_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvel/debian13-root}
mirror=${QUORVEL_DEBIAN_MIRROR:-http://deb.debian.org/debian}

packages=(
    # building, with libei for the clicks through the portal's EIS
    cmake g++ make pkgconf
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev libxtst-dev
    libwayland-dev libwayland-bin wayland-protocols qt6-wayland libei-dev plasma-wayland-protocols
    # the tests' tools, and the package with its checks
    xvfb xauth xdotool x11-utils dbus-daemon dbus-bin iproute2 at-spi2-core python3-pyatspi
    xdg-utils shared-mime-info desktop-file-utils libfile-mimeinfo-perl fonts-dejavu-core
    build-essential dpkg-dev debhelper lintian appstream man-db
    # GNOME 48
    mutter xwayland pipewire pipewire-bin wireplumber xdg-desktop-portal xdg-desktop-portal-gnome
    gnome-session-common gnome-shell gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good
    # Plasma 6.3
    kwin-wayland xdg-desktop-portal-kde plasma-workspace
)

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=QUORVEL_DEBIAN13_ROOT,QUORVEL_DEBIAN_MIRROR,XDG_CACHE_HOME \
        env HOME="$HOME" "$0" "$@"
fi

usage() {
    sed -n '5,11p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# Runs its arguments inside the root, in a mount namespace that ends with it.
inside() {
    local script='
        set -e
        root=$1; top=$2; shift 2
        mount -t proc proc "$root/proc"
        for d in sys dev dev/pts dev/shm; do mount --rbind "/$d" "$root/$d"; done
        mkdir -p "$root/quorvel"
        mount --bind "$top" "$root/quorvel"
        install -d -m 1777 "$root/tmp" "$root/tmp/.X11-unix"
        [ -z "${QUORVEL_LOOPBACK:-}" ] || ip link set lo up 2>/dev/null || true
        status=0
        chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
            TERM="${TERM:-dumb}" ${QUORVEL_INSIDE_ENV:-} sh -c "cd /quorvel && exec \"\$@\"" sh "$@" || status=$?
        umount -R "$root/quorvel" "$root/dev/shm" "$root/dev/pts" "$root/dev" "$root/sys" "$root/proc" 2>/dev/null || true
        exit $status'
    unshare --mount --propagation private ${QUORVEL_UNSHARE_NET:+--net} --fork \
        sh -c "$script" sh "$root" "$top" "$@"
}

build() {
    local list stamp
    list=$(printf '%s\n' "${packages[@]}" | sort -u)
    stamp="$root/.quorvel-packages"
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$list" ]; then
        echo "$root"
        return
    fi
    if ! command -v debootstrap >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
    fi
    local started=$SECONDS
    if [ ! -x "$root/usr/bin/apt-get" ]; then
        rm -rf "$root"
        mkdir -p "$(dirname "$root")"
        echo "debian13-root: debootstrap trixie into $root" >&2
        debootstrap --variant=minbase trixie "$root.new" "$mirror" >"$root.log" 2>&1 || {
            tail -n 20 "$root.log" >&2
            exit 1
        }
        mv "$root.new" "$root"
        cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror trixie main
deb $mirror trixie-updates main
deb http://deb.debian.org/debian-security trixie-security main
EOF
        # No service starts inside when a package is installed.
        printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
        chmod 755 "$root/usr/sbin/policy-rc.d"
        cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
    fi
    echo "debian13-root: installing ${#packages[@]} packages and their dependencies" >&2
    inside sh -c 'export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get dist-upgrade -y -qq >/dev/null &&
        apt-get install -y -qq --no-install-recommends "$@" >/dev/null && apt-get clean' sh "${packages[@]}" \
        >>"$root.log" 2>&1 || {
        tail -n 20 "$root.log" >&2
        exit 1
    }
    echo "$list" >"$stamp"
    echo "debian13-root: ready in $((SECONDS - started)) s" >&2
    echo "$root"
}

case "${1:-}" in
build) build ;;
run)
    shift
    [ $# -gt 0 ] || usage
    [ -f "$root/.quorvel-packages" ] || build >/dev/null
    inside "$@"
    ;;
net)
    shift
    [ $# -gt 0 ] || usage
    [ -f "$root/.quorvel-packages" ] || build >/dev/null
    QUORVEL_UNSHARE_NET=1 QUORVEL_LOOPBACK=1 inside "$@"
    ;;
*) usage ;;
esac

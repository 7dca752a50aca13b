#!/usr/bin/env bash
# Installs the Debian packages that are not installed yet (with sudo when not
# root). Usage: scripts/install-deps.sh [--win32]
#   --win32  also the mingw-w64 cross compiler and Wine for the Windows back
#            end, NSIS for its installer, and what scripts/build-qt-mingw.sh needs to get and build
#            Qt's source (dpkg-dev for apt-get source, ninja)
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libx11-dev libxtst-dev
    libwayland-dev libwayland-bin wayland-protocols qt6-wayland
    xvfb xauth xdotool x11-utils trayer dbus-daemon
    sway xwayland wtype weston
    mutter xdg-desktop-portal-gnome
    gstreamer1.0-tools gstreamer1.0-pipewire gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    xdg-utils shared-mime-info desktop-file-utils libfile-mimeinfo-perl
    fonts-dejavu-core
    kwin-wayland pipewire-bin wireplumber xdg-desktop-portal xdg-desktop-portal-kde plasma-workspace dbus-bin
    qtwayland5 plasma-wayland-protocols qml-module-org-kde-kirigami2 qml-module-qtquick-controls2
    qml-module-qtquick-layouts qml-module-qtquick-window2 qml-module-qtgraphicaleffects
    at-spi2-core python3-pyatspi
    dpkg-dev debhelper lintian appstream man-db
)
# libei, for clicks through the desktop portal's input connection, where the
# system has it (Debian 13 does, Debian 12 does not).
if apt-cache show libei-dev >/dev/null 2>&1; then
    packages+=(libei-dev)
fi
# Wine loads the X11 libraries it recommends at run time, so these come with
# their recommendations.
win32_packages=()
if [ "${1:-}" = "--win32" ]; then
    win32_packages=(g++-mingw-w64-x86-64-posix wine64 wine nsis)
    packages+=(dpkg-dev ninja-build)
fi

missing() {
    for p in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
        [ "$status" = "install ok installed" ] || echo "$p"
    done
}
# XWayland, run by the tests' compositors as an ordinary user, cannot make
# the folder of X sockets itself.
if [ "$(id -u)" -eq 0 ]; then
    install -d -m 1777 /tmp/.X11-unix
fi
missing_packages=($(missing "${packages[@]}"))
missing_win32=($(missing "${win32_packages[@]}"))
[ ${#missing_packages[@]} -eq 0 ] && [ ${#missing_win32[@]} -eq 0 ] && exit 0

echo "Installing: ${missing_packages[*]} ${missing_win32[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
if [ ${#missing_packages[@]} -gt 0 ]; then
    $sudo apt-get install -y -qq --no-install-recommends "${missing_packages[@]}" >/dev/null
fi
if [ ${#missing_win32[@]} -gt 0 ]; then
    $sudo apt-get install -y -qq "${missing_win32[@]}" >/dev/null
fi

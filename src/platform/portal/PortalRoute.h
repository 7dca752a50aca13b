// How the clicks reach a desktop through its portal, decided before a
// session opens from what is known then: the desktop (XDG_CURRENT_DESKTOP,
// a colon-separated list such as "KDE" or "ubuntu:GNOME"), the version of
// its RemoteDesktop portal, and whether this build has libei. A plain
// function, so that every case is tested without a desktop.
//
// - libei, where the portal is of version 2 or later and the build has it:
//   the portal hands out an emulated input connection (ConnectToEIS) whose
//   device places the pointer in the desktop's layout, its regions covering
//   the monitors. The pointer alone is asked for: a screen-cast source is
//   not needed (GNOME 48 and Plasma 6.3 both give a device of every
//   monitor without one), makes GNOME ask which monitors to share, and
//   breaks the session where KWin cannot cast the screen (no GPU). No pause
//   is needed (runs on GNOME 48 and Plasma 6.3 were exact without).
// - The portal's Notify calls otherwise. Absolute motions are placed in a
//   screen-cast stream, so the monitors are asked for (on KDE as one stream
//   of the whole workspace, see StreamLayout). Mutter 43 (GNOME, version 1)
//   loses a button that follows a motion or its press too soon: the first
//   click of a session went to the surface under the old position, and a
//   release that followed its press at once left the button held for its
//   clients. 25 and 30 ms held over many runs there; KWin needs no pause
//   once events arrive in order. A desktop not known is given the pauses.
#pragma once

#include <cstdint>
#include <string>

namespace platform::portal {

struct PortalRoute {
    bool eis = false;            // through libei rather than the Notify calls
    bool screenCast = true;      // ask for the monitors as a screen-cast source
    bool wholeWorkspace = false; // as one stream of the whole workspace
    // The least time between a motion and the button after it, and between
    // a press and its release.
    int motionSettleMs = 0;
    int pressHoldMs = 0;
};

PortalRoute portalRoute(const std::string& currentDesktop, std::uint32_t remoteDesktopVersion, bool haveLibei);

// The route without libei, for a desktop whose portal gave no connection.
PortalRoute notifyRoute(const std::string& currentDesktop, std::uint32_t remoteDesktopVersion);

} // namespace platform::portal

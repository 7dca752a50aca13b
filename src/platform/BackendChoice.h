// Which back end a Linux session calls for, as a plain function of what is
// known about the session, so that every case can be tested without one.
//
// In order: QUORVEL_BACKEND (x11, wayland or portal) decides when set; else
// a live Wayland compositor that offers a virtual pointer gets the Wayland
// back end; else one whose desktop portal can move the pointer (GNOME, KDE)
// gets the portal back end; else, with an X display (XWayland under a
// compositor that offers no way to click), the X11 back end, whose clicks
// then reach X11 windows only; else nothing can click, and the message says
// what is missing. Messages name the desktop where XDG_CURRENT_DESKTOP tells
// it and say what to install or switch on, with the protocol's name after.
#pragma once

#include "platform/Platform.h"

#include <string>

namespace platform {

struct SessionFacts {
    std::string requested;          // QUORVEL_BACKEND
    std::string waylandDisplay;     // WAYLAND_DISPLAY
    bool compositorAnswers = false; // a compositor accepted a connection there
    bool virtualPointer = false;    // it offers zwlr_virtual_pointer_manager_v1
    std::string xDisplay;           // DISPLAY
    bool portalPointer = false;     // the desktop portal on the session bus can move the pointer
    std::string desktop;            // XDG_CURRENT_DESKTOP, such as "KDE" or "ubuntu:GNOME"
};

// Whether the choice depends on the desktop portal, which is then worth
// asking (a call over the session bus) before choosing.
bool portalMatters(const SessionFacts& facts);

NativeChoice chooseBackend(const SessionFacts& facts);

} // namespace platform

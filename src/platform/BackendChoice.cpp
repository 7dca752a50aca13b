#include "platform/BackendChoice.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

NativeChoice none(std::string message)
{
    NativeChoice choice;
    choice.message = std::move(message);
    return choice;
}

NativeChoice x11(const SessionFacts& facts, std::string message = {})
{
    NativeChoice choice;
    choice.backend = Backend::X11;
    choice.waylandSession = !facts.waylandDisplay.empty() && facts.compositorAnswers;
    // In a Wayland session the window is a native Wayland client all the
    // same. XTest's clicks go to the X11 window on top in XWayland's own
    // stacking, where a native window has no place; an X11 window of ours
    // could sit there: weston maps a new one at (0, 0) above every other
    // before it places it, and the first click of an unattended run went
    // to it.
    choice.qtPlatform = choice.waylandSession ? "wayland;xcb" : "xcb";
    choice.message = std::move(message);
    return choice;
}

NativeChoice wayland(const SessionFacts& facts, std::string message = {})
{
    NativeChoice choice;
    choice.backend = Backend::Wayland;
    choice.waylandSession = true;
    // The window is a native Wayland client; should Qt lack its Wayland
    // plugin, it opens under XWayland instead, where there is one.
    choice.qtPlatform = facts.xDisplay.empty() ? "wayland" : "wayland;xcb";
    choice.message = std::move(message);
    return choice;
}

// Clicks through the desktop portal; the window is a native Wayland client
// in a Wayland session, else an X11 one.
NativeChoice portal(const SessionFacts& facts)
{
    NativeChoice choice;
    choice.backend = Backend::Portal;
    choice.waylandSession = !facts.waylandDisplay.empty() && facts.compositorAnswers;
    if (choice.waylandSession)
        choice.qtPlatform = facts.xDisplay.empty() ? "wayland" : "wayland;xcb";
    else if (!facts.xDisplay.empty())
        choice.qtPlatform = "xcb";
    return choice;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Why the compositor cannot be used, for messages.
std::string compositorMissing(const SessionFacts& facts)
{
    if (facts.waylandDisplay.empty())
        return "no Wayland compositor (WAYLAND_DISPLAY is not set)";
    return "no Wayland compositor answers at WAYLAND_DISPLAY=" + quoted(facts.waylandDisplay);
}

// The desktops whose own desktop portal can move the pointer, and the
// package that brings it.
struct PortalDesktop {
    const char* name;    // as XDG_CURRENT_DESKTOP lists it
    const char* shown;   // as the user knows it
    const char* package; // Debian's and most others'
};
constexpr PortalDesktop kPortalDesktops[] = {
    {"GNOME", "GNOME", "xdg-desktop-portal-gnome"},
    {"KDE", "KDE Plasma", "xdg-desktop-portal-kde"},
};

// XDG_CURRENT_DESKTOP lists names parted by colons, the most specific first.
std::vector<std::string> desktopNames(const std::string& list)
{
    std::vector<std::string> names;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const std::string::size_type end = std::min(list.find(':', start), list.size());
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

const PortalDesktop* portalDesktop(const SessionFacts& facts)
{
    for (const std::string& name : desktopNames(facts.desktop))
        for (const PortalDesktop& desktop : kPortalDesktops)
            if (name == desktop.name)
                return &desktop;
    return nullptr;
}

// The desktop as the user knows it, for the start of a sentence.
std::string desktopName(const SessionFacts& facts)
{
    if (const PortalDesktop* desktop = portalDesktop(facts))
        return desktop->shown;
    const std::vector<std::string> names = desktopNames(facts.desktop);
    return names.empty() ? "This Wayland compositor" : names.front();
}

const char* const kProtocols = "(the virtual pointer protocol zwlr_virtual_pointer_manager_v1, or the portal "
                               "org.freedesktop.portal.RemoteDesktop)";

// What would let the program click in every window, in the user's words.
std::string clickAdvice(const SessionFacts& facts)
{
    if (const PortalDesktop* desktop = portalDesktop(facts))
        return std::string("To click in every window, install ") + desktop->package +
               ", the desktop portal that lets programs move the pointer (org.freedesktop.portal.RemoteDesktop).";
    return "To click in every window, use a compositor that lets programs move the pointer, such as sway, "
           "or one with a desktop portal that does " +
           std::string(kProtocols) + ".";
}

} // namespace

bool portalMatters(const SessionFacts& facts)
{
    if (facts.requested == "portal")
        return true;
    return facts.requested.empty() && !facts.waylandDisplay.empty() && facts.compositorAnswers &&
           !facts.virtualPointer;
}

NativeChoice chooseBackend(const SessionFacts& facts)
{
    const bool compositor = !facts.waylandDisplay.empty() && facts.compositorAnswers;
    const bool xDisplay = !facts.xDisplay.empty();

    if (facts.requested == "x11") {
        if (!xDisplay)
            return none("QUORVEL_BACKEND=x11 asks for X11, but there is no X display (DISPLAY is not set)");
        return x11(facts);
    }
    if (facts.requested == "wayland") {
        if (!compositor)
            return none("QUORVEL_BACKEND=wayland asks for Wayland, but there is " + compositorMissing(facts));
        return wayland(facts); // its check says so when the compositor cannot click
    }
    if (facts.requested == "portal") {
        if (!facts.portalPointer) {
            std::string message = "QUORVEL_BACKEND=portal asks for the desktop portal, but none on the session bus "
                                  "can move the pointer (org.freedesktop.portal.RemoteDesktop)";
            if (const PortalDesktop* desktop = portalDesktop(facts))
                message += std::string("; on ") + desktop->shown + ", install " + desktop->package;
            return none(message);
        }
        return portal(facts);
    }
    if (!facts.requested.empty())
        return none("QUORVEL_BACKEND is " + quoted(facts.requested) + "; it takes x11, wayland or portal");

    if (compositor && facts.virtualPointer)
        return wayland(facts);
    if (compositor && facts.portalPointer)
        return portal(facts);
    if (compositor && xDisplay)
        return x11(facts, desktopName(facts) +
                              " lets no program move the pointer, so clicks are played through XWayland and "
                              "reach only X11 windows. " +
                              clickAdvice(facts));
    if (compositor)
        return wayland(facts, desktopName(facts) +
                                  " has no XWayland (DISPLAY is not set) to play clicks in X11 windows instead. " +
                                  clickAdvice(facts)); // its check says that it cannot click
    if (xDisplay)
        return x11(facts);
    return none("no X display (DISPLAY is not set) and " + compositorMissing(facts) +
                "; run it in a desktop session, or under a virtual one with: xvfb-run quorvel");
}

} // namespace platform

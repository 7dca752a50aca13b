#include "platform/BackendChoice.h"

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
    choice.qtPlatform = "xcb";
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
        if (!facts.portalPointer)
            return none("QUORVEL_BACKEND=portal asks for the desktop portal, but none on the session bus can move "
                        "the pointer (org.freedesktop.portal.RemoteDesktop)");
        return portal(facts);
    }
    if (!facts.requested.empty())
        return none("QUORVEL_BACKEND is " + quoted(facts.requested) + "; it takes x11, wayland or portal");

    if (compositor && facts.virtualPointer)
        return wayland(facts);
    if (compositor && facts.portalPointer)
        return portal(facts);
    if (compositor && xDisplay)
        return x11(facts, "This Wayland compositor offers no virtual pointer (zwlr_virtual_pointer_manager_v1) "
                          "and no desktop portal that can move the pointer, so clicks are played through "
                          "XWayland and reach only X11 windows.");
    if (compositor)
        return wayland(facts, "There is no X display (DISPLAY is not set) to play clicks through XWayland instead.");
    if (xDisplay)
        return x11(facts);
    return none("no X display (DISPLAY is not set) and " + compositorMissing(facts) +
                "; run it in a desktop session, or under a virtual one with: xvfb-run quorvel");
}

} // namespace platform

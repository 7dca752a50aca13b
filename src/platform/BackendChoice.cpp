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
    if (!facts.requested.empty())
        return none("QUORVEL_BACKEND is " + quoted(facts.requested) + "; it takes x11 or wayland");

    if (compositor && facts.virtualPointer)
        return wayland(facts);
    // A compositor that offers another way to click (a desktop portal) is
    // to be tried here, before falling back to XWayland.
    if (compositor && xDisplay)
        return x11(facts, "This Wayland compositor offers no virtual pointer (zwlr_virtual_pointer_manager_v1), "
                          "so clicks are played through XWayland and reach only X11 windows.");
    if (compositor)
        return wayland(facts, "There is no X display (DISPLAY is not set) to play clicks through XWayland instead.");
    if (xDisplay)
        return x11(facts);
    return none("no X display (DISPLAY is not set) and " + compositorMissing(facts) +
                "; run it in a desktop session, or under a virtual one with: xvfb-run quorvel");
}

} // namespace platform

#include "platform/wayland/SwayCombination.h"

#include "platform/Platform.h"
#include "platform/x11/KeyTable.h"

#include <X11/Xlib.h>

namespace platform::wayland {

std::string swayCombination(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const unsigned long keysym = x11::keysymForVirtualKey(virtualKey);
    const char* name = keysym != NoSymbol ? XKeysymToString(keysym) : nullptr;
    if (!name)
        return {};
    std::string text;
    if (modifiers & kModControl)
        text += "Ctrl+";
    if (modifiers & kModAlt)
        text += "Alt+";
    if (modifiers & kModShift)
        text += "Shift+";
    if (modifiers & kModWin)
        text += "Mod4+";
    return text + name;
}

} // namespace platform::wayland

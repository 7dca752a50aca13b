#include "platform/wayland/SwayCombination.h"

#include "platform/x11/KeyTable.h"

namespace platform::wayland {

std::string swayCombination(std::uint32_t modifiers, std::uint32_t virtualKey)
{
    return x11::combinationText(modifiers, virtualKey, {"Ctrl", "Alt", "Shift", "Mod4"});
}

} // namespace platform::wayland

// A hot key in the Windows vocabulary (MOD_ bits, virtual-key code) as the
// key combination that sway's bindsym takes: "Ctrl+Alt+p", "Mod4+F5",
// "Shift+Prior". Keys are named by their X keysym names, which sway's
// xkbcommon shares.
#pragma once

#include <cstdint>
#include <string>

namespace platform::wayland {

// Empty when the key has no keysym (0, or a code without a key here).
std::string swayCombination(std::uint32_t modifiers, std::uint32_t virtualKey);

} // namespace platform::wayland

// Names of Windows virtual-key codes as a hot-key control shows them:
// "P", "F5", "Num 7", "Page Up", "Space", ...
//
// Nothing here depends on X11: the names belong to the virtual-key codes
// that every back end speaks.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The key's name in words; "" for 0 (no key); "Key 0xNN" for a code without
// a name of its own.
std::string virtualKeyName(std::uint32_t virtualKey);

} // namespace platform

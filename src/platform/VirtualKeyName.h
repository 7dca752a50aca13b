// Names of Windows virtual-key codes as a hot-key control shows them:
// "P", "F5", "Num 7", "Page Up", "Space", ...
//
// Every back end defines it: on Windows the system names the keys in the
// keyboard layout's language; elsewhere a fixed English table does.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The key's name in words; "" for 0 (no key); "Key 0xNN" for a code without
// a name of its own.
std::string virtualKeyName(std::uint32_t virtualKey);

} // namespace platform

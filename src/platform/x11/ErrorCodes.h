// Windows error numbers that the X11 back end reports in its results, so that
// the dialogs show the same "Last Error" numbers on every system.
#pragma once

#include <cstdint>

namespace platform::x11 {

// ERROR_NOT_SUPPORTED: no X display, or the server lacks the XTest extension.
constexpr std::uint32_t kErrorNotSupported = 50;
// ERROR_INVALID_PARAMETER: a virtual-key code with no key on this system.
constexpr std::uint32_t kErrorInvalidParameter = 87;
// ERROR_HOTKEY_NOT_REGISTERED: unregistering an identifier that holds nothing.
constexpr std::uint32_t kErrorHotKeyNotRegistered = 1419;

} // namespace platform::x11

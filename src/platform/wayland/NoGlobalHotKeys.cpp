#include "platform/wayland/NoGlobalHotKeys.h"

#include "platform/x11/ErrorCodes.h"

#include <string>

namespace platform::wayland {

Result NoGlobalHotKeys::registerHotKey(int, std::uint32_t, std::uint32_t)
{
    return Result::failure(kErrorHotKeysOnlyInDesktopSettings,
                           "This desktop gives programs no global hot keys; it runs commands bound to keys in its "
                           "own keyboard shortcut settings instead. The combination is stored. To use it, bind it "
                           "there to the command \"quorvel --toggle\" (Start / Stop Mouse Clicks) or "
                           "\"quorvel --capture\" (Get Mouse Cursor Position).");
}

Result NoGlobalHotKeys::unregisterHotKey(int id)
{
    return Result::failure(x11::kErrorHotKeyNotRegistered, "no hot key is registered as " + std::to_string(id));
}

} // namespace platform::wayland

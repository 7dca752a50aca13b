// Hot keys on a desktop that gives programs no global keys: its own
// keyboard shortcut settings bind keys to commands instead. Nothing is ever
// registered; every registration fails with
// kErrorHotKeysOnlyInDesktopSettings and a message that says how to bind
// the program's commands there.
#pragma once

#include "platform/Platform.h"

namespace platform::wayland {

class NoGlobalHotKeys final : public HotKeys {
public:
    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    // Fails with 1419 (ERROR_HOTKEY_NOT_REGISTERED): nothing ever is.
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler) override {}
};

} // namespace platform::wayland

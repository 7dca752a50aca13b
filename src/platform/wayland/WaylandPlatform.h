// The back end for wlroots Wayland compositors (sway, Hyprland, river,
// labwc, Wayfire): clicks through a virtual pointer, the pointer's position
// from brief overlay surfaces, hot keys as the session provides them, file
// types through the XDG shell registration.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace platform::wayland {

class WaylandConnection;
class WaylandMouse;

class WaylandPlatform final : public Platform {
public:
    // Connects to the compositor that WAYLAND_DISPLAY names. A failure is
    // not fatal: check() reports it and every call then does nothing.
    explicit WaylandPlatform(std::unique_ptr<HotKeys> hotKeys);
    ~WaylandPlatform() override;
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    Result check() override;
    std::string clickPath() override { return "the compositor's virtual pointer (zwlr_virtual_pointer_v1)"; }
    Mouse& mouse() override;
    HotKeys& hotKeys() override { return *m_hotKeys; }
    Shell& shell() override { return *m_shell; }

private:
    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<WaylandMouse> m_mouse;
    std::unique_ptr<HotKeys> m_hotKeys;
    std::unique_ptr<Shell> m_shell;
};

} // namespace platform::wayland

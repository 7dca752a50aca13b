// The back end for Linux/X11: pointer and buttons through XTest, hot keys as
// root-window key grabs, file types through the XDG shell registration.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>

typedef struct _XDisplay Display;

namespace platform::x11 {

class X11Mouse;
class X11HotKeys;

class X11Platform final : public Platform {
public:
    // Connects to the display that DISPLAY names. A failure is not fatal:
    // check() reports it and every call then does nothing. Hot keys are X
    // key grabs, unless this is XWayland under a Wayland compositor: the
    // compositor owns the keys then, and its `sessionHotKeys` serve; and the
    // pointer's position is known only over XWayland's own windows.
    explicit X11Platform(std::unique_ptr<HotKeys> sessionHotKeys = nullptr);
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    Result check() override;
    std::string clickPath() override;
    Mouse& mouse() override;
    HotKeys& hotKeys() override;
    Shell& shell() override;

private:
    std::string m_displayName;
    // Two connections: the hot keys read their presses from theirs, so the
    // pointer's round trips never pull key events out of the hot keys' way.
    Display* m_pointerDisplay = nullptr;
    Display* m_keyDisplay = nullptr;
    bool m_hasXTest = false;
    bool m_underWayland = false;
    std::unique_ptr<X11Mouse> m_mouse;
    std::unique_ptr<HotKeys> m_hotKeys;
    std::unique_ptr<Shell> m_shell;
};

} // namespace platform::x11

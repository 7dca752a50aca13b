// A playback run through the desktop portal: the session's calls made from
// the run's thread, the desktop's settle waits cut short by its stop, and the
// pointer read by the window's thread, which owns what reads it.
#pragma once

#include "platform/Platform.h"

namespace platform::portal {

class PortalMouse;

class PortalRun final : public MouseRun {
public:
    PortalRun(PortalMouse& mouse, RunWait& wait) : MouseRun(wait), m_mouse(mouse) {}
    ~PortalRun() override;

    Result open() override;
    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    bool button(Button button, ButtonAction action) override;
    Result status() override;

private:
    PortalMouse& m_mouse;
    bool m_begun = false;
};

} // namespace platform::portal

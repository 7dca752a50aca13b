// The pointer on X11: its position read with XQueryPointer on the root
// window, moved and clicked through the XTest extension. Positions are root
// window coordinates in device pixels. A playback run clicks through an X
// connection of its own, opened and closed on the run's thread.
#pragma once

#include "platform/Platform.h"

typedef struct _XDisplay Display;

namespace platform::x11 {

class X11Mouse final : public Mouse {
public:
    // `display` is not owned and may be null, in which case every call does
    // nothing and the position is unknown. Without XTest (`canInject`
    // false) the position can still be read but nothing is injected. A
    // `rootless` server (XWayland) knows the pointer only while it is over
    // one of its windows, and says nothing otherwise.
    X11Mouse(Display* display, bool canInject, bool rootless = false);

    std::optional<Point> cursorPos() override;
    void setCursorPos(int x, int y) override;
    void button(Button button, ButtonAction action) override;
    void pause(std::uint32_t ms) override;
    std::unique_ptr<MouseRun> openRun(RunWait& wait) override;

private:
    Display* m_display;
    bool m_canInject;
    bool m_rootless;
};

} // namespace platform::x11

#include "platform/x11/X11Mouse.h"

#include "platform/x11/ErrorCodes.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <string>
#include <thread>

namespace platform::x11 {
namespace {

std::optional<Point> queryPointer(Display* display, bool rootless)
{
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int state = 0;
    // When the pointer is on another screen the call returns False but still
    // gives the position on that screen's root, which is what we want.
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &state);
    // The connection selects no events, but the server sends MappingNotify
    // to every client; drop whatever the round trip queued so it cannot pile up.
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
    // XWayland's root window is never shown: a pointer over no window of
    // its own is over a Wayland window, and the position is the last one
    // XWayland saw.
    if (rootless && child == None)
        return std::nullopt;
    return Point{rootX, rootY};
}

// The server handles an XTest request as input at once, in the order of the
// requests, so a click's moves and button events can travel in one write:
// they land where each one's move put the pointer.
void fakeMotion(Display* display, int x, int y)
{
    // Screen -1: the screen the pointer is on. The server clamps positions
    // outside the screen to its edges.
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
}

void fakeButton(Display* display, Button button, ButtonAction action)
{
    const unsigned int number = button == Button::Left ? 1 : 3;
    XTestFakeButtonEvent(display, number, action == ButtonAction::Down ? True : False, CurrentTime);
}

// A run's own connection to the display the window's connection is on.
class X11MouseRun final : public MouseRun {
public:
    X11MouseRun(std::string displayName, bool rootless, RunWait& wait)
        : MouseRun(wait), m_displayName(std::move(displayName)), m_rootless(rootless)
    {
    }
    ~X11MouseRun() override
    {
        // Sends what is left and waits until the server has it.
        if (m_display)
            XCloseDisplay(m_display);
    }

    Result open() override
    {
        m_display = XOpenDisplay(m_displayName.c_str());
        if (!m_display)
            return Result::failure(kErrorNotSupported, "cannot open the X display \"" + m_displayName + "\"");
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor))
            return Result::failure(kErrorNotSupported, "the X server has no XTest extension");
        return Result::success();
    }
    std::optional<Point> cursorPos() override { return queryPointer(m_display, m_rootless); }
    void setCursorPos(int x, int y) override { fakeMotion(m_display, x, y); }
    bool button(Button button, ButtonAction action) override
    {
        fakeButton(m_display, button, action);
        return true;
    }
    void flush() override { XFlush(m_display); }

private:
    std::string m_displayName;
    bool m_rootless;
    Display* m_display = nullptr;
};

} // namespace

X11Mouse::X11Mouse(Display* display, bool canInject, bool rootless)
    : m_display(display), m_canInject(display && canInject), m_rootless(rootless)
{
}

std::optional<Point> X11Mouse::cursorPos()
{
    if (!m_display)
        return std::nullopt;
    return queryPointer(m_display, m_rootless);
}

void X11Mouse::setCursorPos(int x, int y)
{
    if (!m_canInject)
        return;
    fakeMotion(m_display, x, y);
    XFlush(m_display);
}

void X11Mouse::button(Button button, ButtonAction action)
{
    if (!m_canInject)
        return;
    fakeButton(m_display, button, action);
    XFlush(m_display);
}

void X11Mouse::pause(std::uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<MouseRun> X11Mouse::openRun(RunWait& wait)
{
    if (!m_canInject)
        return std::make_unique<InertMouseRun>(wait);
    return std::make_unique<X11MouseRun>(DisplayString(m_display), m_rootless, wait);
}

} // namespace platform::x11

#include "platform/x11/X11Mouse.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace platform::x11 {

X11Mouse::X11Mouse(Display* display, bool canInject, bool rootless)
    : m_display(display), m_canInject(display && canInject), m_rootless(rootless)
{
}

std::optional<Point> X11Mouse::cursorPos()
{
    if (!m_display)
        return std::nullopt;
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int state = 0;
    // When the pointer is on another screen the call returns False but still
    // gives the position on that screen's root, which is what we want.
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX, &windowY, &state);
    // This connection selects no events, but the server sends MappingNotify
    // to every client; drop whatever the round trip queued so it cannot pile up.
    while (XEventsQueued(m_display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
    }
    // XWayland's root window is never shown: a pointer over no window of
    // its own is over a Wayland window, and the position is the last one
    // XWayland saw.
    if (m_rootless && child == None)
        return std::nullopt;
    return Point{rootX, rootY};
}

void X11Mouse::setCursorPos(int x, int y)
{
    if (!m_canInject)
        return;
    // Screen -1: the screen the pointer is on. The server clamps positions
    // outside the screen to its edges.
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    send();
}

void X11Mouse::button(Button button, ButtonAction action)
{
    if (!m_canInject)
        return;
    const unsigned int number = button == Button::Left ? 1 : 3;
    XTestFakeButtonEvent(m_display, number, action == ButtonAction::Down ? True : False, CurrentTime);
    send();
}

void X11Mouse::pause(std::uint32_t ms)
{
    // A double click's pause must part the two clicks on the server, not
    // only in this process.
    if (m_canInject)
        XFlush(m_display);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void X11Mouse::endClick()
{
    m_holding = false;
    send();
}

void X11Mouse::send()
{
    // The server handles an XTest request as input at once, in the order
    // of the requests, so a click's move and button events can travel in
    // one write: they land where each one's move put the pointer.
    if (m_canInject && !m_holding)
        XFlush(m_display);
}

} // namespace platform::x11

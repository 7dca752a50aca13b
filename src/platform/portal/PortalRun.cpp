#include "platform/portal/PortalRun.h"

#include "platform/WindowThread.h"
#include "platform/portal/PortalMouse.h"
#include "platform/portal/PortalRequest.h"

namespace platform::portal {

PortalRun::~PortalRun()
{
    if (m_begun)
        m_mouse.endRun();
}

Result PortalRun::open()
{
    m_mouse.beginRun(m_wait);
    m_begun = true;
    return status();
}

std::optional<Point> PortalRun::cursorPos()
{
    const PortalMouse::PositionReader& read = m_mouse.positionReader();
    return read ? readOnWindowThread(read, m_wait) : std::nullopt;
}

void PortalRun::setCursorPos(int x, int y)
{
    m_mouse.setCursorPos(x, y);
}

bool PortalRun::button(Button button, ButtonAction action)
{
    return m_mouse.sendButton(button, action);
}

Result PortalRun::status()
{
    // The desktop closed the session (the user ended the sharing, or the
    // desktop went away), took the pointer away, or a position lay on none
    // of its screens.
    return m_mouse.status();
}

} // namespace platform::portal

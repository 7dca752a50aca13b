#include "platform/x11/X11ErrorTrap.h"

namespace platform::x11 {
namespace {
// The innermost trap in force on this thread; each trap links to the one
// around it. Only set while a trap is alive.
thread_local X11ErrorTrap* t_innermostTrap = nullptr;
} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : m_display(display), m_firstSerial(NextRequest(display)), m_outer(t_innermostTrap)
{
    // Requests already queued but not yet answered must not count as ours:
    // their errors keep going to the previous handler.
    m_previousHandler = XSetErrorHandler(&X11ErrorTrap::onError);
    t_innermostTrap = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    finish();
}

int X11ErrorTrap::finish()
{
    if (!m_active)
        return m_errorCode;
    XSync(m_display, False);
    XSetErrorHandler(m_previousHandler);
    t_innermostTrap = m_outer;
    m_active = false;
    return m_errorCode;
}

int X11ErrorTrap::onError(Display* display, XErrorEvent* event)
{
    X11ErrorTrap* outermost = nullptr;
    for (X11ErrorTrap* trap = t_innermostTrap; trap; trap = trap->m_outer) {
        if (trap->m_display == display && event->serial >= trap->m_firstSerial) {
            if (trap->m_errorCode == 0)
                trap->m_errorCode = event->error_code;
            return 0;
        }
        outermost = trap;
    }
    if (outermost && outermost->m_previousHandler)
        return outermost->m_previousHandler(display, event);
    return 0;
}

} // namespace platform::x11

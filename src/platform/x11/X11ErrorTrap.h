// Catches the X protocol errors caused by the requests of one scope on one
// display, instead of letting Xlib's default handler end the process.
//
// The trap installs its handler when constructed and puts the previous one
// back in finish() (or its destructor), after an XSync so that every error of
// the scope has arrived. Errors of other displays, or of requests made before
// the trap was set, go to the handler that was there before. Traps may nest
// but must end in the reverse order of their construction, on one thread.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits until the server has handled every request of the scope, restores
    // the previous handler and returns the first error code caught (0: none).
    // Later calls return the same code.
    int finish();

private:
    static int onError(Display* display, XErrorEvent* event);

    Display* m_display;
    unsigned long m_firstSerial;
    int m_errorCode = 0;
    bool m_active = true;
    XErrorHandler m_previousHandler = nullptr;
    X11ErrorTrap* m_outer = nullptr;
};

} // namespace platform::x11

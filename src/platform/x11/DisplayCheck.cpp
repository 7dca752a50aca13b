// The X display that DISPLAY names, tried before the toolkit connects to it.
#include "platform/Platform.h"
#include "platform/x11/ErrorCodes.h"

#include <X11/Xlib.h>

namespace platform {

Result checkDisplay()
{
    const char* name = XDisplayName(nullptr);
    if (!name || !*name) {
        return Result::failure(x11::kErrorNotSupported,
                               "no X display (DISPLAY is not set); run it in a desktop session, "
                               "or under a virtual one with: xvfb-run quorvel");
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return Result::failure(x11::kErrorNotSupported,
                               std::string("cannot open the X display \"") + name +
                                   "\" that DISPLAY names: no X server answers there, or it refuses "
                                   "this program; check DISPLAY, or run it under a virtual display "
                                   "with: xvfb-run quorvel");
    }
    XCloseDisplay(display);
    return Result::success();
}

} // namespace platform

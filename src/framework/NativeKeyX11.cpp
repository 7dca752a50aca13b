// On X11 and Wayland the native key of a key event is its keysym, which the
// X11 back end's key table translates, so that a combination typed into a
// hot-key field is one that the back end can grab.
#include "framework/KeyMapping.h"
#include "platform/x11/KeyTable.h"

#include <QGuiApplication>

WORD VirtualKeyFromNativeKey(quint32 nativeVirtualKey)
{
    if (nativeVirtualKey == 0)
        return 0;
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return 0;
    return static_cast<WORD>(platform::x11::virtualKeyForKeysym(nativeVirtualKey));
}

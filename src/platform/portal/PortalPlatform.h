// The back end for Wayland desktops that let no client inject input (GNOME,
// KDE): clicks through the desktop portal's remote desktop, hot keys through
// KDE's global shortcut service on KDE, else through the portal's global
// shortcuts where the desktop offers them. What the portal does
// not give (the pointer's position, hot keys where there are no global
// shortcuts, file types) comes from the session's own back end.
#pragma once

#include "platform/Platform.h"
#include "platform/portal/PortalMouse.h"

#include <QDBusConnection>

#include <memory>

namespace platform::portal {

class PortalPlatform final : public Platform {
public:
    // `session` is the back end of the session the program runs in (its
    // compositor's, or X11's); it must not be null.
    PortalPlatform(const QDBusConnection& bus, std::unique_ptr<Platform> session);
    ~PortalPlatform() override;

    // Whether the desktop portal on `bus` can move the pointer.
    static bool offersPointer(const QDBusConnection& bus);

    Result check() override;
    std::string clickPath() override;
    Mouse& mouse() override { return *m_mouse; }
    HotKeys& hotKeys() override { return m_hotKeys ? *m_hotKeys : m_session->hotKeys(); }
    Shell& shell() override { return m_session->shell(); }
    void setValueStore(ValueStore* store) override { m_mouse->setValueStore(store); }

private:
    QDBusConnection m_bus;
    std::unique_ptr<Platform> m_session;
    std::unique_ptr<PortalMouse> m_mouse;
    std::unique_ptr<HotKeys> m_hotKeys; // null: the session's
};

} // namespace platform::portal

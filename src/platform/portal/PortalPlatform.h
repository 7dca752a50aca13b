// The back end for Wayland desktops that let no client inject input (GNOME,
// KDE): clicks through the desktop portal's remote desktop, hot keys through
// its global shortcuts where the desktop offers them.
#pragma once

#include "platform/Platform.h"
#include "platform/portal/PortalMouse.h"

#include <QDBusConnection>

#include <memory>

namespace platform::portal {

class PortalHotKeys;

class PortalPlatform final : public Platform {
public:
    // `fallbackHotKeys` serve when the desktop offers no global shortcuts;
    // `readPosition` reads the pointer where the desktop allows it.
    PortalPlatform(const QDBusConnection& bus, std::unique_ptr<HotKeys> fallbackHotKeys,
                   PortalMouse::PositionReader readPosition, std::unique_ptr<Shell> shell);
    ~PortalPlatform() override;

    // Whether the session bus has a desktop portal that can move the pointer.
    static bool offersPointer(const QDBusConnection& bus);

    Result check() override;
    Mouse& mouse() override { return *m_mouse; }
    HotKeys& hotKeys() override { return *m_hotKeys; }
    Shell& shell() override { return *m_shell; }
    void setValueStore(ValueStore* store) override { m_mouse->setValueStore(store); }

private:
    QDBusConnection m_bus;
    std::unique_ptr<PortalMouse> m_mouse;
    std::unique_ptr<HotKeys> m_hotKeys;
    std::unique_ptr<Shell> m_shell;
};

} // namespace platform::portal

// The back ends of a Linux session: which one it calls for, and making it.
#include "platform/BackendChoice.h"
#include "platform/portal/PortalPlatform.h"
#include "platform/wayland/NoGlobalHotKeys.h"
#include "platform/wayland/SwayHotKeys.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"

#include <QDBusConnection>

#include <cstdlib>

namespace platform {
namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The keys of a session that a Wayland compositor runs: sway binds them
// over its IPC; elsewhere only the desktop's own shortcut settings can.
std::unique_ptr<HotKeys> compositorHotKeys()
{
    const std::string swaySocket = environment("SWAYSOCK");
    if (!swaySocket.empty())
        return std::make_unique<wayland::SwayHotKeys>(swaySocket);
    return std::make_unique<wayland::NoGlobalHotKeys>();
}

// Asks the session bus once, on a connection of its own that is closed
// again, since Qt's own is not to be made before the application object.
bool portalOffersPointer()
{
    const QString name = QStringLiteral("quorvel-portal-probe");
    bool offers = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        offers = portal::PortalPlatform::offersPointer(bus);
    }
    QDBusConnection::disconnectFromBus(name);
    return offers;
}

} // namespace

NativeChoice chooseNative()
{
    SessionFacts facts;
    facts.requested = environment("QUORVEL_BACKEND");
    facts.waylandDisplay = environment("WAYLAND_DISPLAY");
    facts.xDisplay = environment("DISPLAY");
    facts.desktop = environment("XDG_CURRENT_DESKTOP");
    if (!facts.waylandDisplay.empty()) {
        const wayland::WaylandConnection compositor;
        facts.compositorAnswers = compositor.isConnected();
        facts.virtualPointer = compositor.virtualPointerManager() != nullptr;
    }
    if (portalMatters(facts))
        facts.portalPointer = portalOffersPointer();
    return chooseBackend(facts);
}

std::unique_ptr<Platform> createNative(const NativeChoice& choice)
{
    if (choice.backend == Backend::Wayland)
        return std::make_unique<wayland::WaylandPlatform>(compositorHotKeys());
    if (choice.backend == Backend::Portal) {
        // The session's own back end reads the pointer's position where it
        // can and holds the hot keys where the portal has no shortcuts.
        std::unique_ptr<Platform> session;
        if (choice.waylandSession)
            session = std::make_unique<wayland::WaylandPlatform>(compositorHotKeys());
        else
            session = std::make_unique<x11::X11Platform>();
        return std::make_unique<portal::PortalPlatform>(QDBusConnection::sessionBus(), std::move(session));
    }
    if (choice.waylandSession)
        return std::make_unique<x11::X11Platform>(compositorHotKeys());
    return std::make_unique<x11::X11Platform>();
}

std::unique_ptr<Platform> createNative()
{
    return std::make_unique<x11::X11Platform>();
}

} // namespace platform

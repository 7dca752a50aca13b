#include "platform/portal/PortalPlatform.h"

#include "platform/kde/KdeHotKeys.h"
#include "platform/portal/PortalHotKeys.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace platform::portal {
namespace {

// Asked on a connection of its own, which is closed again: the program's own
// connection must tell the portal who it is before its first call there
// (see identifyToPortal), and it can do so only once the program's desktop
// entry has been written at start.
bool portalOffersShortcuts()
{
    const QString name = QStringLiteral("quorvel-shortcuts-probe");
    bool offers = false;
    {
        const QDBusConnection probe = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        offers = PortalHotKeys::isAvailable(probe);
    }
    QDBusConnection::disconnectFromBus(name);
    return offers;
}

} // namespace

PortalPlatform::PortalPlatform(const QDBusConnection& bus, std::unique_ptr<Platform> session)
    : m_bus(bus), m_session(std::move(session))
{
    Platform* positions = m_session.get();
    m_mouse = std::make_unique<PortalMouse>(bus, [positions] { return positions->mouse().cursorPos(); });
    // On KDE its own global shortcut service, which takes the keys asked
    // for; else the portal's global shortcuts where there are any.
    if (kde::KdeHotKeys::isAvailable(bus))
        m_hotKeys = std::make_unique<kde::KdeHotKeys>(bus);
    else if (portalOffersShortcuts())
        m_hotKeys = std::make_unique<PortalHotKeys>(bus);
}

PortalPlatform::~PortalPlatform()
{
    // What uses the session goes before it.
    m_hotKeys.reset();
    m_mouse.reset();
}

bool PortalPlatform::offersPointer(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({kRemoteDesktopInterface, QStringLiteral("AvailableDeviceTypes")});
    // The portal may be started on this call, which takes a moment.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    constexpr uint kPointerDevice = 2;
    return (reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt() & kPointerDevice) != 0;
}

std::string PortalPlatform::clickPath()
{
    return m_mouse->plannedRoute().eis ? "the desktop portal's input connection with libei (RemoteDesktop.ConnectToEIS)"
                                       : "the desktop portal's Notify calls (org.freedesktop.portal.RemoteDesktop)";
}

Result PortalPlatform::check()
{
    identifyToPortal(m_bus);
    if (!offersPointer(m_bus))
        return Result::failure(kErrorNotSupported,
                               "the desktop portal (org.freedesktop.portal.RemoteDesktop) cannot move the pointer");
    return Result::success();
}

} // namespace platform::portal

#include "platform/portal/PortalHotKeys.h"

#include "platform/portal/PortalRequest.h"
#include "platform/portal/PortalTrigger.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QThread>

namespace platform::portal {
namespace {

// One shortcut as BindShortcuts takes it: its id and its properties.
struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace
} // namespace platform::portal

Q_DECLARE_METATYPE(platform::portal::Shortcut)

namespace platform::portal {
namespace {

const QString kWhat = QStringLiteral("the global shortcuts");

// The shortcuts carry the hot keys' identifiers, so that an activation
// reaches the program as that hot key.
QString shortcutId(int id)
{
    return QStringLiteral("hotkey-%1").arg(id);
}

int hotKeyIdOf(const QString& shortcut)
{
    bool ok = false;
    const int id = shortcut.startsWith(QStringLiteral("hotkey-")) ? shortcut.mid(7).toInt(&ok) : 0;
    return ok ? id : 0;
}

// What the desktop shows next to each shortcut in its settings.
QString describeHotKey(int id)
{
    switch (id) {
    case 1:
        return QStringLiteral("Quorvel: copy the pointer position into X and Y");
    case 2:
        return QStringLiteral("Quorvel: start or stop playing the clicks");
    default:
        return QStringLiteral("Quorvel hot key %1").arg(id);
    }
}

} // namespace

PortalHotKeys::PortalHotKeys(const QDBusConnection& bus) : m_bus(bus)
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    m_bus.connect(kPortalService, kPortalPath, kGlobalShortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(activated(QDBusMessage)));
}

PortalHotKeys::~PortalHotKeys()
{
    closeSession();
}

bool PortalHotKeys::isAvailable(const QDBusConnection& bus)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({kGlobalShortcutsInterface, QStringLiteral("version")});
    return bus.call(get, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

Result PortalHotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    if (triggerFor({modifiers, virtualKey}).empty())
        return Result::failure(87, "the key has no name the desktop knows");
    for (const auto& [otherId, binding] : m_bindings) {
        if (otherId != id && binding.modifiers == modifiers && binding.virtualKey == virtualKey)
            return Result::failure(kErrorHotKeyAlreadyRegistered, "the combination is already taken");
    }
    const auto previous = m_bindings.find(id);
    const std::optional<Binding> old =
        previous != m_bindings.end() ? std::optional<Binding>(previous->second) : std::nullopt;
    m_bindings[id] = Binding{modifiers, virtualKey};
    const Result result = bindAll();
    if (!result) {
        if (old)
            m_bindings[id] = *old;
        else
            m_bindings.erase(id);
    }
    return result;
}

Result PortalHotKeys::unregisterHotKey(int id)
{
    if (m_bindings.erase(id) == 0)
        return Result::failure(1419, "no hot key is registered under this identifier");
    if (m_bindings.empty()) {
        closeSession();
        return Result::success();
    }
    return bindAll();
}

void PortalHotKeys::setPressHandler(PressHandler handler)
{
    m_handler = std::move(handler);
}

Result PortalHotKeys::bindAll()
{
    // GNOME 48 asks its settings' shortcuts provider, which the first request
    // starts and which can turn that request away (the response "ended")
    // before it is ready: once more, then.
    Result result = bindAllOnce();
    if (!result && result.error == kErrorNotReady) {
        QThread::msleep(500);
        result = bindAllOnce();
    }
    if (!result && result.error == kErrorNotReady)
        result.error = kErrorNotSupported;
    return result;
}

Result PortalHotKeys::bindAllOnce()
{
    // A session binds its shortcuts once; a new set needs a new session.
    closeSession();
    identifyToPortal(m_bus);
    PortalResponse response =
        callPortal(m_bus, kGlobalShortcutsInterface, QStringLiteral("CreateSession"), {},
                   {{QStringLiteral("session_handle_token"), QStringLiteral("quorvel_shortcuts")}}, kAnswerTimeoutMs);
    if (!response.ok())
        return Result::failure(response.errorCode(), response.describe(kWhat).toStdString());
    m_session = objectPathOf(response.results.value(QStringLiteral("session_handle")));

    QList<Shortcut> shortcuts;
    for (const auto& [id, binding] : m_bindings) {
        shortcuts.append({shortcutId(id),
                          {{QStringLiteral("description"), describeHotKey(id)},
                           {QStringLiteral("preferred_trigger"),
                            QString::fromStdString(triggerFor({binding.modifiers, binding.virtualKey}))}}});
    }
    response = callPortal(m_bus, kGlobalShortcutsInterface, QStringLiteral("BindShortcuts"),
                          {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString()},
                          {}, kAnswerTimeoutMs);
    // GNOME 48 answers a bind that took with the code of one that ended
    // otherwise; the shortcuts it lists as bound (which then work) tell.
    const bool bound = response.ok() || (response.outcome == PortalResponse::Ended &&
                                         response.results.contains(QStringLiteral("shortcuts")));
    if (!bound) {
        closeSession();
        const std::uint32_t error =
            response.outcome == PortalResponse::Ended ? kErrorNotReady : response.errorCode();
        return Result::failure(error, response.describe(kWhat).toStdString());
    }
    return Result::success();
}

void PortalHotKeys::closeSession()
{
    if (m_session.isEmpty())
        return;
    m_bus.call(QDBusMessage::createMethodCall(kPortalService, m_session, kSessionInterface, QStringLiteral("Close")),
               QDBus::Block, 2000);
    m_session.clear();
}

void PortalHotKeys::activated(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || objectPathOf(arguments.at(0)) != m_session)
        return;
    const int id = hotKeyIdOf(arguments.at(1).toString());
    const auto binding = m_bindings.find(id);
    if (binding == m_bindings.end() || !m_handler)
        return;
    m_handler(id, binding->second.modifiers, binding->second.virtualKey);
}

} // namespace platform::portal

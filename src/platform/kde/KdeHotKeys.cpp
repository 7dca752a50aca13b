#include "platform/kde/KdeHotKeys.h"

#include "platform/kde/KdeKeyCode.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace platform::kde {
namespace {

const QString kService = QStringLiteral("org.kde.kglobalaccel");
const QString kPath = QStringLiteral("/kglobalaccel");
const QString kInterface = QStringLiteral("org.kde.KGlobalAccel");
const QString kComponent = QStringLiteral("quorvel");
constexpr int kAnswerMs = 5000;
constexpr std::uint32_t kErrorNotSupported = 50; // ERROR_NOT_SUPPORTED
// setShortcut's flags: the program is running (its action is present), and
// the key given replaces any that the service kept from before.
constexpr uint kSetPresent = 2;
constexpr uint kNoAutoloading = 4;

QString actionName(int id)
{
    return QStringLiteral("hotkey-%1").arg(id);
}

// The component, the action, and their names as System Settings shows them.
QStringList actionId(int id)
{
    const QString text = id == 1   ? QStringLiteral("Copy the pointer position into X and Y")
                         : id == 2 ? QStringLiteral("Start or stop playing the clicks")
                                   : QStringLiteral("Hot key %1").arg(id);
    return {kComponent, actionName(id), QStringLiteral("Quorvel"), text};
}

QDBusMessage call(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

KdeHotKeys::KdeHotKeys(const QDBusConnection& bus) : m_bus(bus)
{
    qDBusRegisterMetaType<QList<int>>();
    m_bus.connect(kService, QStringLiteral("/component/") + kComponent,
                  QStringLiteral("org.kde.kglobalaccel.Component"), QStringLiteral("globalShortcutPressed"), this,
                  SLOT(pressed(QString, QString, qlonglong)));
}

KdeHotKeys::~KdeHotKeys()
{
    while (!m_bindings.empty()) {
        forget(m_bindings.begin()->first);
        m_bindings.erase(m_bindings.begin());
    }
}

bool KdeHotKeys::isAvailable(const QDBusConnection& bus)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(kService);
}

Result KdeHotKeys::registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey)
{
    const int key = kdeKeyCodeFor(modifiers, virtualKey);
    if (key == 0)
        return Result::failure(87, "the key has no name that KDE's shortcuts know");
    for (const auto& [otherId, binding] : m_bindings)
        if (otherId != id && binding.modifiers == modifiers && binding.virtualKey == virtualKey)
            return Result::failure(kErrorHotKeyAlreadyRegistered, "the combination is already taken");

    const auto setKey = [&](int code) {
        m_bus.call(call(QStringLiteral("doRegister"), {actionId(id)}), QDBus::Block, kAnswerMs);
        return m_bus.call(call(QStringLiteral("setShortcut"),
                               {actionId(id), QVariant::fromValue(QList<int>{code}), kSetPresent | kNoAutoloading}),
                          QDBus::Block, kAnswerMs);
    };
    const QDBusMessage reply = setKey(key);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return Result::failure(kErrorNotSupported, "KDE's global shortcuts did not answer");
    // The service answers with the keys it gave the action: none when
    // another shortcut has the combination. The hot key then keeps the
    // combination it had, if any.
    if (!qdbus_cast<QList<int>>(reply.arguments().constFirst()).contains(key)) {
        const auto old = m_bindings.find(id);
        if (old != m_bindings.end())
            setKey(kdeKeyCodeFor(old->second.modifiers, old->second.virtualKey));
        else
            forget(id);
        return Result::failure(kErrorHotKeyAlreadyRegistered, "the combination is another shortcut of the desktop");
    }
    m_bindings[id] = Binding{modifiers, virtualKey};
    return Result::success();
}

Result KdeHotKeys::unregisterHotKey(int id)
{
    if (m_bindings.erase(id) == 0)
        return Result::failure(1419, "no hot key is registered under this identifier");
    forget(id);
    return Result::success();
}

void KdeHotKeys::forget(int id)
{
    m_bus.call(call(QStringLiteral("unregister"), {kComponent, actionName(id)}), QDBus::Block, kAnswerMs);
}

void KdeHotKeys::pressed(const QString& component, const QString& action, qlonglong timestamp)
{
    (void)timestamp;
    if (component != kComponent || !m_handler)
        return;
    for (const auto& [id, binding] : m_bindings)
        if (action == actionName(id)) {
            m_handler(id, binding.modifiers, binding.virtualKey);
            return;
        }
}

} // namespace platform::kde

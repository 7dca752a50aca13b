#include "platform/kde/KdeHotKeys.h"

#include "platform/kde/KdeKeyCode.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QRegularExpression>

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

// Each instance binds actions of its own, named with its process id, so
// that the service itself keeps a combination to one of them, as an X
// server keeps a grab to one client: a second instance is refused the
// combination that the first holds, a press reaches only the instance that
// holds it, and an instance that ends takes out only its own actions.
QString actionName(int id)
{
    return QStringLiteral("hotkey-%1-%2").arg(id).arg(QCoreApplication::applicationPid());
}

// The process id in the name of one of our actions; 0 for a name without
// one (an earlier version's "hotkey-2").
qint64 ownerOf(const QString& action)
{
    static const QRegularExpression name(QStringLiteral("^hotkey-\\d+-(\\d+)$"));
    return name.match(action).captured(1).toLongLong();
}

// The process `pid` runs and has this program's name.
bool instanceRuns(qint64 pid)
{
    const auto nameOf = [](const QString& process) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(process));
        return comm.open(QIODevice::ReadOnly) ? comm.readAll() : QByteArray();
    };
    const QByteArray own = nameOf(QStringLiteral("self"));
    return pid > 0 && !own.isEmpty() && nameOf(QString::number(pid)) == own;
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
    forgetEndedInstances();
}

void KdeHotKeys::forgetEndedInstances()
{
    // The service keeps an action, and its key, until it is taken out: an
    // instance that was killed leaves its own behind.
    const QDBusMessage names =
        m_bus.call(QDBusMessage::createMethodCall(kService, QStringLiteral("/component/") + kComponent,
                                                  QStringLiteral("org.kde.kglobalaccel.Component"),
                                                  QStringLiteral("shortcutNames")),
                   QDBus::Block, kAnswerMs);
    for (const QString& action : names.arguments().value(0).toStringList()) {
        const qint64 owner = ownerOf(action);
        if (owner != QCoreApplication::applicationPid() && !instanceRuns(owner))
            m_bus.call(call(QStringLiteral("unregister"), {kComponent, action}), QDBus::Block, kAnswerMs);
    }
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
    // another shortcut has the combination, another instance's included.
    // The hot key then keeps the combination it had, if any.
    if (!qdbus_cast<QList<int>>(reply.arguments().constFirst()).contains(key)) {
        const auto old = m_bindings.find(id);
        if (old != m_bindings.end())
            setKey(kdeKeyCodeFor(old->second.modifiers, old->second.virtualKey));
        else
            forget(id);
        return Result::failure(kErrorHotKeyAlreadyRegistered,
                               "the combination is another shortcut of the desktop or of another instance");
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

// A stand-in for the desktop portal (org.freedesktop.portal.Desktop) on a
// private session bus: the remote desktop, screen cast and global shortcut
// calls that the program makes, answered at once as a user who grants
// everything would (or, with --deny, as one who refuses the remote desktop;
// with --no-pointer, as one who lets it have the keyboard only).
//
// Every call is printed on standard output as one line, "<µs> <Method>
// <name>=<value> ...", the time on this process's monotonic clock. Lines on
// standard input drive it: "activate <shortcut id>" sends the global
// shortcut's Activated signal. It prints "ready" once it owns the name, and
// ends when its standard input closes.
//
// Options: --deny (Start is refused), --no-pointer (Start grants the keyboard
// and no pointer), --no-shortcuts (no global shortcuts),
// --remote-desktop-version N (the RemoteDesktop version it reports, 2 unless
// given; version 1 gives no restore token, as such portals do).
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

struct IntPair {
    int first = 0;
    int second = 0;
};

struct Stream {
    uint node = 0;
    QVariantMap properties;
};

struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& a, const IntPair& p)
{
    a.beginStructure();
    a << p.first << p.second;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, IntPair& p)
{
    a.beginStructure();
    a >> p.first >> p.second;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const Stream& s)
{
    a.beginStructure();
    a << s.node << s.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Stream& s)
{
    a.beginStructure();
    a >> s.node >> s.properties;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const Shortcut& s)
{
    a.beginStructure();
    a << s.id << s.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, Shortcut& s)
{
    a.beginStructure();
    a >> s.id >> s.properties;
    a.endStructure();
    return a;
}

} // namespace

Q_DECLARE_METATYPE(IntPair)
Q_DECLARE_METATYPE(Stream)
Q_DECLARE_METATYPE(Shortcut)

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
constexpr uint kStreamNode = 44;

long long nowMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

void print(const QString& line)
{
    std::printf("%lld %s\n", nowMicroseconds(), qPrintable(line));
    std::fflush(stdout);
}

// A vardict's entries as "name=value" words, in name order.
QString describe(const QVariantMap& options)
{
    QStringList words;
    for (auto it = options.begin(); it != options.end(); ++it)
        if (it.key() != QLatin1String("handle_token") && it.key() != QLatin1String("session_handle_token"))
            words << QStringLiteral("%1=%2").arg(it.key(), it.value().toString());
    return words.join(QLatin1Char(' '));
}

class FakePortal : public QDBusVirtualObject {
public:
    FakePortal(bool deny, bool shortcuts, uint devices, uint version)
        : m_deny(deny), m_shortcuts(shortcuts), m_devices(devices), m_version(version)
    {
    }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        m_bus = connection;
        const QString interface = message.interface();
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (interface == QLatin1String("org.freedesktop.DBus.Properties") && member == QLatin1String("Get"))
            return property(message, args.value(0).toString(), args.value(1).toString());
        if (interface == QLatin1String("org.freedesktop.portal.Session") && member == QLatin1String("Close")) {
            print(QStringLiteral("Close %1").arg(message.path().section(QLatin1Char('/'), -1)));
            return reply(message, {});
        }
        if (interface == kShortcuts && !m_shortcuts)
            return fail(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));

        if (member == QLatin1String("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(0));
            const QString session = objectPath(message, QStringLiteral("session"),
                                               options.value(QStringLiteral("session_handle_token")).toString() +
                                                   QString::number(++m_sessions));
            if (interface == kShortcuts)
                m_shortcutSession = session;
            print(QStringLiteral("%1.CreateSession").arg(interface.section(QLatin1Char('.'), -1)));
            return request(message, options, 0, {{QStringLiteral("session_handle"), session}});
        }
        if (member == QLatin1String("SelectDevices") || member == QLatin1String("SelectSources")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(1));
            print(QStringLiteral("%1 %2").arg(member, describe(options)));
            return request(message, options, 0, {});
        }
        if (member == QLatin1String("Start")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.value(2));
            print(QStringLiteral("Start"));
            if (m_deny)
                return request(message, options, 1, {});
            Stream stream;
            stream.node = kStreamNode;
            stream.properties.insert(QStringLiteral("position"), QVariant::fromValue(IntPair{0, 0}));
            stream.properties.insert(QStringLiteral("size"), QVariant::fromValue(IntPair{1280, 1024}));
            stream.properties.insert(QStringLiteral("source_type"), 1u);
            QVariantMap results{{QStringLiteral("devices"), m_devices},
                                {QStringLiteral("streams"), QVariant::fromValue(QList<Stream>{stream})}};
            if (m_version >= 2)
                results.insert(QStringLiteral("restore_token"), QStringLiteral("token-%1").arg(++m_tokens));
            return request(message, options, 0, results);
        }
        if (member == QLatin1String("NotifyPointerMotionAbsolute")) {
            print(QStringLiteral("NotifyPointerMotionAbsolute stream=%1 x=%2 y=%3")
                      .arg(args.value(2).toUInt())
                      .arg(args.value(3).toDouble())
                      .arg(args.value(4).toDouble()));
            return reply(message, {});
        }
        if (member == QLatin1String("NotifyPointerButton")) {
            print(QStringLiteral("NotifyPointerButton button=%1 state=%2")
                      .arg(args.value(2).toInt())
                      .arg(args.value(3).toUInt()));
            return reply(message, {});
        }
        if (member == QLatin1String("BindShortcuts")) {
            QStringList words;
            for (const Shortcut& s : qdbus_cast<QList<Shortcut>>(args.value(1)))
                words << QStringLiteral("%1=%2").arg(
                    s.id, s.properties.value(QStringLiteral("preferred_trigger")).toString());
            print(QStringLiteral("BindShortcuts %1").arg(words.join(QLatin1Char(' '))));
            return request(message, qdbus_cast<QVariantMap>(args.value(3)), 0, {});
        }
        return fail(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
    }

    void activate(const QString& shortcut)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kShortcuts, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(m_shortcutSession)) << shortcut
               << static_cast<qulonglong>(nowMicroseconds() / 1000) << QVariantMap();
        m_bus.send(signal);
        print(QStringLiteral("Activated %1").arg(shortcut));
    }

private:
    bool property(const QDBusMessage& message, const QString& interface, const QString& name)
    {
        if (interface == kRemoteDesktop && name == QLatin1String("AvailableDeviceTypes"))
            return reply(message, {QVariant::fromValue(QDBusVariant(7u))});
        if ((interface == kRemoteDesktop || interface == kScreenCast || (interface == kShortcuts && m_shortcuts)) &&
            name == QLatin1String("version"))
            return reply(message, {QVariant::fromValue(
                                      QDBusVariant(interface == kShortcuts ? 1u : interface == kRemoteDesktop ? m_version : 2u))});
        return fail(message, QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
    }

    // The object path that the portal gives a request or session of `message`'s sender.
    static QString objectPath(const QDBusMessage& message, const QString& kind, const QString& token)
    {
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return QStringLiteral("%1/%2/%3/%4").arg(kPath, kind, sender, token);
    }

    // Answers with the request object, then sends its Response.
    bool request(const QDBusMessage& message, const QVariantMap& options, uint code, const QVariantMap& results)
    {
        const QString path = objectPath(message, QStringLiteral("request"),
                                        options.value(QStringLiteral("handle_token")).toString());
        reply(message, {QVariant::fromValue(QDBusObjectPath(path))});
        QDBusMessage response =
            QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << code << results;
        m_bus.send(response);
        return true;
    }

    bool reply(const QDBusMessage& message, const QVariantList& arguments)
    {
        m_bus.send(message.createReply(arguments));
        return true;
    }

    bool fail(const QDBusMessage& message, const QString& error)
    {
        m_bus.send(message.createErrorReply(error, QStringLiteral("not offered by this portal")));
        return true;
    }

    bool m_deny;
    bool m_shortcuts;
    uint m_devices; // 1 keyboard, 2 pointer
    uint m_version;
    int m_sessions = 0;
    int m_tokens = 0;
    QString m_shortcutSession;
    QDBusConnection m_bus{QString()};
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<IntPair>();
    qDBusRegisterMetaType<Stream>();
    qDBusRegisterMetaType<QList<Stream>>();
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    const QStringList arguments = app.arguments();
    const int versionAt = arguments.indexOf(QStringLiteral("--remote-desktop-version"));
    const uint version = versionAt > 0 ? arguments.value(versionAt + 1).toUInt() : 2u;
    FakePortal portal(arguments.contains(QStringLiteral("--deny")), !arguments.contains(QStringLiteral("--no-shortcuts")),
                      arguments.contains(QStringLiteral("--no-pointer")) ? 1u : 2u, version);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kPath, &portal, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fakeportal: cannot take the portal's name: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            app.quit();
            return;
        }
        pending.append(buffer, static_cast<int>(n));
        while (pending.contains('\n')) {
            const int end = pending.indexOf('\n');
            const QList<QByteArray> words = pending.left(end).trimmed().split(' ');
            pending.remove(0, end + 1);
            if (words.size() == 2 && words[0] == "activate")
                portal.activate(QString::fromUtf8(words[1]));
        }
    });
    return app.exec();
}

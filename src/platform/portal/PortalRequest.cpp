#include "platform/portal/PortalRequest.h"

#include "platform/Platform.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QMutex>
#include <QSet>
#include <QTimer>

namespace platform::portal {
namespace {

// Receives the Response signal of one request.
class ResponseReceiver : public QObject {
    Q_OBJECT
public:
    bool answered = false;
    uint code = 0;
    QVariantMap results;

signals:
    void done();

public slots:
    void response(uint responseCode, const QVariantMap& responseResults)
    {
        answered = true;
        code = responseCode;
        results = responseResults;
        emit done();
    }
};

// The request object's path that the portal derives from the caller's bus
// name and the handle token.
QString requestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

bool listen(QDBusConnection& bus, const QString& path, ResponseReceiver* receiver, bool on)
{
    const QString interface = QStringLiteral("org.freedesktop.portal.Request");
    const QString name = QStringLiteral("Response");
    const char* slot = SLOT(response(uint, QVariantMap));
    return on ? bus.connect(QString(), path, interface, name, receiver, slot)
              : bus.disconnect(QString(), path, interface, name, receiver, slot);
}

} // namespace

QString PortalResponse::describe(const QString& what) const
{
    switch (outcome) {
    case Success:
        return QString();
    case Cancelled:
        return QStringLiteral("%1 was refused").arg(what);
    case Ended:
        return QStringLiteral("%1 was ended by the desktop").arg(what);
    case NoAnswer:
        return QStringLiteral("the desktop did not answer the request for %1").arg(what);
    default:
        return QStringLiteral("the desktop portal cannot give %1 (%2)").arg(what, error);
    }
}

PortalResponse callPortal(const QDBusConnection& constBus, const QString& interface, const QString& method,
                          const QVariantList& arguments, QVariantMap options, int timeoutMs)
{
    static unsigned serial = 0;
    QDBusConnection bus = constBus;
    PortalResponse response;
    const QString token = QStringLiteral("quorvel%1").arg(++serial);
    options.insert(QStringLiteral("handle_token"), token);

    // Listen before calling: the answer may come before the call returns.
    ResponseReceiver receiver;
    QString path = requestPath(bus, token);
    listen(bus, path, &receiver, true);

    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, interface, method);
    call.setArguments(QVariantList(arguments) << options);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        listen(bus, path, &receiver, false);
        response.outcome = PortalResponse::CallFailed;
        response.error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
        return response;
    }
    // Older portals name the request object differently.
    const QString handle = objectPathOf(reply.arguments().constFirst());
    if (!handle.isEmpty() && handle != path) {
        listen(bus, path, &receiver, false);
        path = handle;
        listen(bus, path, &receiver, true);
    }

    if (!receiver.answered) {
        QEventLoop loop;
        QObject::connect(&receiver, &ResponseReceiver::done, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    listen(bus, path, &receiver, false);
    if (!receiver.answered) {
        response.outcome = PortalResponse::NoAnswer;
        return response;
    }
    response.outcome = receiver.code <= PortalResponse::Ended ? receiver.code : PortalResponse::Ended;
    response.results = receiver.results;
    return response;
}

QString objectPathOf(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

void identifyToPortal(const QDBusConnection& bus)
{
    static QMutex mutex;
    static QSet<QString> identified;
    const QMutexLocker lock(&mutex);
    if (identified.contains(bus.baseService()))
        return;
    identified.insert(bus.baseService());
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                       QStringLiteral("org.freedesktop.host.portal.Registry"),
                                                       QStringLiteral("Register"));
    call.setArguments({QString::fromLatin1(kApplicationId), QVariantMap()});
    bus.call(call, QDBus::Block, 10000);
}

} // namespace platform::portal

#include "PortalRequest.moc"

#include "support/SessionBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace quorvel::test {

SessionBus::~SessionBus()
{
    m_process.stop();
    if (m_exported)
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress);
}

bool SessionBus::start(bool session)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder for the bus");
        return false;
    }
    if (!m_process.start(QStringLiteral("dbus-daemon"),
                         {"--session", "--nofork", "--print-address=1", "--address=unix:dir=" + m_dir.path()})) {
        m_error = m_process.errorString();
        return false;
    }
    const auto line = m_process.readLine(10000);
    if (!line || !line->startsWith("unix:")) {
        m_error =
            QStringLiteral("dbus-daemon gave no address: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    m_address = QString::fromUtf8(*line);
    m_exported = session;
    if (session) {
        m_previousAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", line->constData());
    }
    return true;
}

uint SessionBus::portalVersion(const QString& interface, int timeoutMs)
{
    const QString name = QStringLiteral("portal-version");
    uint version = 0;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, name);
        QDBusMessage get =
            QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                           "org.freedesktop.DBus.Properties", "Get");
        get.setArguments({interface, "version"});
        const QDBusMessage reply = bus.call(get, QDBus::Block, std::max(timeoutMs, 1));
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            version = reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
        else
            m_error = "the portal did not answer: " + reply.errorMessage();
    }
    QDBusConnection::disconnectFromBus(name);
    return version;
}

} // namespace quorvel::test

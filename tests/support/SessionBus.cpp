#include "support/SessionBus.h"

namespace quorvel::test {

SessionBus::~SessionBus()
{
    m_process.stop();
    if (!m_address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress);
}

bool SessionBus::start()
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
    m_previousAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", line->constData());
    return true;
}

} // namespace quorvel::test

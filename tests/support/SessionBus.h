// A private D-Bus session bus for one test: `dbus-daemon --session` on a
// socket in a temporary folder, ended by its process id with the object.
// While it lives, DBUS_SESSION_BUS_ADDRESS of this process names it, so the
// programs the test starts use it; the address the tests run with comes back
// when it goes.
#pragma once

#include "support/BoundedProcess.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quorvel::test {

class SessionBus {
public:
    SessionBus() = default;
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // Starts the bus and waits (bounded) for its address. Unless `session`
    // is false (a stand-in system bus), this process's programs use it as
    // their session bus from then on.
    bool start(bool session = true);
    QString errorString() const { return m_error; }
    QString address() const { return m_address; }

    // The `version` of a desktop portal's interface on this bus (such as
    // "org.freedesktop.portal.RemoteDesktop"), waiting at most `timeoutMs`,
    // since the call may start the portal; 0 when nothing answered (see
    // errorString).
    uint portalVersion(const QString& interface, int timeoutMs);

private:
    QTemporaryDir m_dir;
    BoundedProcess m_process;
    QString m_address;
    bool m_exported = false;
    QByteArray m_previousAddress;
    QString m_error;
};

} // namespace quorvel::test

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

    // Starts the bus and waits (bounded) for its address.
    bool start();
    QString errorString() const { return m_error; }
    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    BoundedProcess m_process;
    QString m_address;
    QByteArray m_previousAddress;
    QString m_error;
};

} // namespace quorvel::test

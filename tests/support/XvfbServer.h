// A private X server for one test: Xvfb on a display number that it picks
// itself (-displayfd), local connections only, started and ended with the
// object. Ending is by process id; should the test process die first, the
// server is sent SIGTERM by the kernel (see BoundedProcess).
#pragma once

#include "support/BoundedProcess.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace quorvel::test {

class XvfbServer {
public:
    struct Options {
        QSize screenSize{1280, 1024};
        int depth = 24;
        // Further server arguments, e.g. {"-ardelay", "200"} or
        // {"-extension", "XTEST"} to leave an extension out.
        QStringList extraArguments;
        int startTimeoutMs = 10000;
    };

    // Starts the server and waits (bounded) until it accepts connections.
    XvfbServer();
    explicit XvfbServer(const Options& options);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // True once the server is up; errorString() says why it is not.
    bool isRunning() const;
    QString errorString() const { return m_error; }
    // ":N", the value for DISPLAY.
    QString display() const { return m_display; }
    qint64 pid() const { return m_process.pid(); }

    // Points DISPLAY of this process at the server; the programs it starts
    // from then on inherit it.
    void exportDisplay() const;
    // Ends the server now (the destructor does it otherwise).
    void stop();

private:
    bool start(const Options& options);

    QTemporaryFile m_log; // the server's messages, quoted when it fails to start
    BoundedProcess m_process;
    QString m_display;
    QString m_error;
};

} // namespace quorvel::test

#include "support/WestonSession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace quorvel::test {
namespace {

const QString kSocket = QStringLiteral("wayland-1");

} // namespace

WestonSession::WestonSession(bool xwayland, int startTimeoutMs)
{
    if (geteuid() == 0) {
        m_error = "weston's XWayland refuses root's clients; register the test UNPRIVILEGED";
        return;
    }
    if (!m_runtime.isValid() || !m_log.open()) {
        m_error = "cannot create a runtime folder or a log for weston";
        return;
    }
    QProcessEnvironment environment;
    for (const char* name : {"PATH", "HOME", "LANG"})
        if (qEnvironmentVariableIsSet(name))
            environment.insert(name, qEnvironmentVariable(name));
    environment.insert("XDG_RUNTIME_DIR", m_runtime.path());
    m_process.setEnvironment(environment);
    m_process.discardStandardOutput();
    m_process.setStandardErrorFile(m_log.fileName());
    QStringList arguments{"--backend=headless-backend.so",
                          "--socket=" + kSocket,
                          "--width=1280",
                          "--height=1024",
                          "--idle-time=0",
                          "--no-config"};
    if (xwayland)
        arguments << "--xwayland";
    const QDeadlineTimer deadline(startTimeoutMs);
    if (!m_process.start("weston", arguments, startTimeoutMs)) {
        m_error = "cannot start weston: " + m_process.errorString();
        return;
    }
    const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
    for (;;) {
        const QString log = QString::fromLocal8Bit(m_log.readAll());
        m_log.seek(0);
        if (const QRegularExpressionMatch match = listening.match(log); match.hasMatch())
            m_xDisplay = match.captured(1);
        // The socket comes before the shell is loaded: wait for the last
        // thing weston says that it does at start.
        if (QFile::exists(m_runtime.path() + "/" + kSocket) && log.contains(QStringLiteral("weston-desktop-shell'")) &&
            (!xwayland || !m_xDisplay.isEmpty())) {
            m_ready = true;
            return;
        }
        if (deadline.hasExpired() || !m_process.isRunning()) {
            m_error =
                "weston did not become ready within " + QString::number(startTimeoutMs) + " ms: " + log.right(2000);
            m_process.stop();
            return;
        }
        QThread::msleep(20);
    }
}

void WestonSession::exportEnvironment() const
{
    qputenv("WAYLAND_DISPLAY", kSocket.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    if (m_xDisplay.isEmpty())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", m_xDisplay.toLocal8Bit());
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("SWAYSOCK");
}

} // namespace quorvel::test

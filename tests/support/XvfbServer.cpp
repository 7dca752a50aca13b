#include "support/XvfbServer.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace quorvel::test {
namespace {

// Reads what Xvfb writes to its -displayfd pipe once it is ready: the
// display number and a newline. Empty when the time is up or the pipe
// closed first (the server failed to start).
QByteArray readDisplayNumber(int fd, const QDeadlineTimer& deadline)
{
    QByteArray text;
    while (!text.contains('\n')) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return {};
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(remaining));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        char buffer[32];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return {};
        text.append(buffer, static_cast<int>(count));
    }
    return text.left(text.indexOf('\n')).trimmed();
}

} // namespace

XvfbServer::XvfbServer() : XvfbServer(Options()) {}

XvfbServer::XvfbServer(const Options& options)
{
    if (!start(options))
        stop();
}

XvfbServer::~XvfbServer()
{
    stop();
}

bool XvfbServer::start(const Options& options)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_error = "cannot create a pipe for Xvfb";
        return false;
    }
    const QString screen =
        QString("%1x%2x%3").arg(options.screenSize.width()).arg(options.screenSize.height()).arg(options.depth);
    // -noreset: the server would otherwise reset (dropping every grab and
    // setting) each time its last client disconnects.
    QStringList arguments{"-displayfd", QString::number(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                          "-noreset"};
    arguments += options.extraArguments;

    const QDeadlineTimer deadline(options.startTimeoutMs);
    m_process.keepDescriptorOpen(fds[1]);
    m_process.discardStandardOutput();
    if (m_log.open())
        m_process.setStandardErrorFile(m_log.fileName());
    const bool started = m_process.start("Xvfb", arguments, options.startTimeoutMs);
    close(fds[1]);
    QByteArray number;
    if (started)
        number = readDisplayNumber(fds[0], deadline);
    close(fds[0]);

    if (!started) {
        m_error = "cannot start Xvfb: " + m_process.errorString();
        return false;
    }
    bool isNumber = false;
    number.toInt(&isNumber);
    if (!isNumber) {
        m_process.stop(1000);
        m_error = "Xvfb did not become ready within " + QString::number(options.startTimeoutMs) +
                  " ms: " + QString::fromLocal8Bit(m_log.readAll().trimmed().right(2000));
        return false;
    }
    m_display = ":" + QString::fromLatin1(number);
    return true;
}

bool XvfbServer::isRunning() const
{
    return !m_display.isEmpty() && m_process.isRunning();
}

void XvfbServer::exportDisplay() const
{
    qputenv("DISPLAY", m_display.toLocal8Bit());
}

void XvfbServer::stop()
{
    m_process.stop();
}

} // namespace quorvel::test

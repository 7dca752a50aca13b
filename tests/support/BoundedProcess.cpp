#include "support/BoundedProcess.h"

#include <QDeadlineTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace quorvel::test {

BoundedProcess::BoundedProcess()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

BoundedProcess::~BoundedProcess()
{
    stop();
}

bool BoundedProcess::start(const QString& program, const QStringList& arguments, int timeoutMs)
{
    if (isRunning()) {
        m_error = "already running: " + m_program;
        return false;
    }
    m_program = program;
    const pid_t parent = getpid();
    const int inheritedFd = m_inheritedFd;
    // Runs in the child between fork and exec: only async-signal-safe calls.
    m_process.setChildProcessModifier([parent, inheritedFd] {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) // the test died before the line above
            _exit(127);
        if (inheritedFd >= 0) {
            const int flags = fcntl(inheritedFd, F_GETFD);
            if (flags >= 0)
                fcntl(inheritedFd, F_SETFD, flags & ~FD_CLOEXEC);
        }
    });
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(qMax(0, timeoutMs))) {
        m_error = program + ": " + m_process.errorString();
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

bool BoundedProcess::isRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

bool BoundedProcess::waitForExit(int timeoutMs)
{
    if (!isRunning())
        return true;
    return m_process.waitForFinished(qMax(0, timeoutMs));
}

void BoundedProcess::stop(int graceMs)
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (m_process.waitForFinished(graceMs))
        return;
    m_process.kill();
    m_process.waitForFinished(graceMs);
}

int BoundedProcess::exitCode() const
{
    if (isRunning() || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

std::optional<QByteArray> BoundedProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (!isRunning()) {
            if (m_process.bytesAvailable() > 0)
                return m_process.readAll();
            return std::nullopt;
        }
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return std::nullopt;
        m_process.waitForReadyRead(static_cast<int>(remaining));
    }
    QByteArray line = m_process.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    return line;
}

QByteArray BoundedProcess::readAllStandardOutput()
{
    return m_process.readAllStandardOutput();
}

QByteArray BoundedProcess::readAllStandardError()
{
    return m_process.readAllStandardError();
}

bool BoundedProcess::write(const QByteArray& data)
{
    return m_process.write(data) == data.size() && m_process.waitForBytesWritten(5000);
}

void BoundedProcess::closeStandardInput()
{
    m_process.closeWriteChannel();
}

QString ProcessOutput::describe() const
{
    QString text = command + ": ";
    if (!started)
        text += "did not start";
    else if (!finished)
        text += "killed at the time limit";
    else
        text += "exit " + QString::number(exitCode);
    const QByteArray errors = standardError.trimmed();
    if (!errors.isEmpty())
        text += ": " + QString::fromLocal8Bit(errors);
    return text;
}

ProcessOutput runBounded(const QString& program, const QStringList& arguments, int timeoutMs)
{
    ProcessOutput output;
    output.command = (QStringList{program} + arguments).join(' ');
    const QDeadlineTimer deadline(timeoutMs);
    BoundedProcess process;
    output.started = process.start(program, arguments, timeoutMs);
    if (!output.started) {
        output.standardError = process.errorString().toLocal8Bit();
        return output;
    }
    output.pid = process.pid();
    output.finished = process.waitForExit(static_cast<int>(qMax<qint64>(0, deadline.remainingTime())));
    process.stop(1000);
    output.exitCode = output.finished ? process.exitCode() : -1;
    output.standardOutput = process.readAllStandardOutput();
    output.standardError = process.readAllStandardError();
    return output;
}

} // namespace quorvel::test

// A program started by a test, bounded in time and ended by its process id.
//
// The process is stopped when the object goes (SIGTERM, a bounded wait, then
// SIGKILL), and it asks the kernel for SIGTERM should the test process die
// first (a crash, an abort from a sanitizer), so no test leaves a program
// running behind it. Only the program itself is ended, not programs that it
// starts: run a program directly, or through a shell with `exec`.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvel::test {

class BoundedProcess {
public:
    BoundedProcess();
    ~BoundedProcess();
    BoundedProcess(const BoundedProcess&) = delete;
    BoundedProcess& operator=(const BoundedProcess&) = delete;

    // Keeps file descriptor `fd` of this process open in the program, under
    // the same number (for instance a pipe that Xvfb's -displayfd writes to).
    void keepDescriptorOpen(int fd) { m_inheritedFd = fd; }
    // For long-running programs whose output nobody reads: a full pipe
    // would block them.
    void discardStandardOutput() { m_process.setStandardOutputFile(QProcess::nullDevice()); }
    void setStandardErrorFile(const QString& path) { m_process.setStandardErrorFile(path); }
    // The program's environment, instead of this process's.
    void setEnvironment(const QProcessEnvironment& environment) { m_process.setProcessEnvironment(environment); }

    // Starts `program` with the current environment (or the one set);
    // waits at most `timeoutMs` for it to start. False (see errorString)
    // when it did not.
    bool start(const QString& program, const QStringList& arguments, int timeoutMs = 5000);
    bool isRunning() const;
    qint64 pid() const { return m_pid; }
    QString errorString() const { return m_error; }

    // Waits at most `timeoutMs` for the program to end by itself.
    bool waitForExit(int timeoutMs);
    // Ends the program: SIGTERM, at most `graceMs` to go, then SIGKILL.
    void stop(int graceMs = 2000);
    // Exit code of a program that ended normally, -1 otherwise.
    int exitCode() const;

    // The next line of standard output without its newline, waiting at most
    // `timeoutMs`; nothing when no whole line came in time. The last line of
    // an ended program is given even without a newline.
    std::optional<QByteArray> readLine(int timeoutMs);
    QByteArray readAllStandardOutput();
    QByteArray readAllStandardError();
    // Writes to the program's standard input.
    bool write(const QByteArray& data);
    void closeStandardInput();

private:
    QProcess m_process;
    qint64 m_pid = 0;
    int m_inheritedFd = -1;
    QString m_program;
    QString m_error;
};

// What a program run to its end gave.
struct ProcessOutput {
    bool started = false;
    bool finished = false; // false: it was killed at the time limit
    int exitCode = -1;
    qint64 pid = 0;
    QByteArray standardOutput;
    QByteArray standardError;

    bool succeeded() const { return started && finished && exitCode == 0; }
    // "xdotool key ctrl+alt+s: exit 1: <stderr>", for test failure messages.
    QString describe() const;
    QString command;
};

// Runs `program` to its end, killing it once `timeoutMs` has passed.
ProcessOutput runBounded(const QString& program, const QStringList& arguments, int timeoutMs = 10000);

} // namespace quorvel::test

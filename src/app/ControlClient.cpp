#include "app/ControlClient.h"

#include "app/ControlAccess.h"

#include <QLocalSocket>

#include <cstdio>

namespace {

constexpr int kConnectTimeoutMs = 2000;
// The instance answers from its event loop, which a click in progress holds
// up for at most a double click's pause.
constexpr int kAnswerTimeoutMs = 7000;

int fail(const QString& message)
{
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int SendControlCommand(ControlCommand command)
{
    const QString option = ControlOptionName(command);
    QString problem;
    const QString path = control::SocketPath(problem);
    if (path.isEmpty())
        return fail(QStringLiteral("cannot reach a running instance for %1: %2").arg(option, problem));

    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        const QLocalSocket::LocalSocketError error = socket.error();
        if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError)
            return fail(QStringLiteral("no running instance to take %1 (nothing answers on %2)").arg(option, path));
        return fail(QStringLiteral("cannot reach the running instance for %1: %2").arg(option, socket.errorString()));
    }
    socket.write(ControlCommandLine(command));
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(kAnswerTimeoutMs))
        answer += socket.readAll();
    if (answer != "ok\n")
        return fail(QStringLiteral("the running instance did not answer %1").arg(option));
    return 0;
}

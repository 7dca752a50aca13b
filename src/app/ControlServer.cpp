#include "app/ControlServer.h"

#include "app/ControlAccess.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>

namespace {

void say(const QString& message)
{
    std::fprintf(stderr, "quorvel: %s\n", qPrintable(message));
}

// What a client sent, fit for one line of the log.
QString printable(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes.left(ControlServer::kLongestLine))
        text += c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : QChar(u'?');
    return text;
}

void sayIgnored(const QByteArray& received)
{
    say(QStringLiteral("ignored a control command that is not toggle or capture: \"%1\"").arg(printable(received)));
}

} // namespace

ControlServer::ControlServer(QObject* parent) : QObject(parent) {}

ControlServer::~ControlServer()
{
    Close();
}

bool ControlServer::Listen(Handler handler)
{
    Close();
    m_handler = std::move(handler);
    QString problem;
    bool heldElsewhere = false;
    const QString path = control::SocketPath(problem);
    if (!path.isEmpty()) {
        const int lock = control::TakeInstanceLock(path, problem, &heldElsewhere);
        if (lock >= 0 && answer(lock, control::ListenOn(path, problem)))
            return true;
    }
    if (heldElsewhere) {
        say(QStringLiteral("this instance does not take --toggle and --capture while %1; it takes them over when "
                           "that one ends")
                .arg(problem));
        m_wait = std::make_unique<control::InstanceLockWait>(
            path, [this] { QMetaObject::invokeMethod(this, &ControlServer::takeOver, Qt::QueuedConnection); });
    } else {
        say(QStringLiteral("this instance does not take --toggle and --capture: %1").arg(problem));
        m_handler = nullptr;
    }
    return false;
}

bool ControlServer::answer(int lock, int listener)
{
    if (listener < 0) {
        control::ReleaseInstanceLock(lock);
        return false;
    }
    m_lock = lock;
    m_server = new QLocalServer(this);
    m_server->listen(listener);
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::accept);
    return true;
}

void ControlServer::takeOver()
{
    if (!m_wait)
        return; // closed since
    int listener = -1;
    QString problem;
    const int lock = m_wait->collect(listener, problem);
    m_wait.reset();
    if (answer(lock, listener))
        say(QStringLiteral("this instance takes --toggle and --capture from now on"));
    else
        say(QStringLiteral("this instance cannot take over --toggle and --capture: %1").arg(problem));
}

void ControlServer::Close()
{
    m_wait.reset();
    closeSocket();
    m_handler = nullptr;
}

void ControlServer::closeSocket()
{
    if (m_server) {
        m_server->close(); // removes the socket file
        delete m_server;
        m_server = nullptr;
    }
    control::ReleaseInstanceLock(m_lock);
    m_lock = -1;
}

void ControlServer::accept()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (!control::PeerIsThisUser(client->socketDescriptor())) {
            say(QStringLiteral("ignored a control connection from another user"));
            client->abort();
            client->deleteLater();
            continue;
        }
        QTimer::singleShot(kClientTimeoutMs, client, [client] {
            client->abort();
            client->deleteLater();
        });
        connect(client, &QLocalSocket::readyRead, this, [this, client] { read(client); });
        if (client->bytesAvailable() > 0)
            read(client);
    }
}

void ControlServer::read(QLocalSocket* client)
{
    if (!client->canReadLine()) {
        if (client->bytesAvailable() > kLongestLine) {
            sayIgnored(client->readAll());
            client->abort();
        }
        return;
    }
    QByteArray line = client->readLine(kLongestLine + 1);
    if (line.endsWith('\n'))
        line.chop(1);
    disconnect(client, &QLocalSocket::readyRead, this, nullptr);
    const std::optional<ControlCommand> command = ParseControlCommand(line);
    if (!command) {
        sayIgnored(line);
        client->disconnectFromServer();
        return;
    }
    client->write("ok\n");
    client->disconnectFromServer();
    if (m_handler)
        m_handler(*command);
}

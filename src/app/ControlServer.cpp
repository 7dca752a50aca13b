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

ControlServer::ControlServer(QObject* parent) : QObject(parent)
{
    m_takeOver.setInterval(kTakeOverIntervalMs);
    connect(&m_takeOver, &QTimer::timeout, this, &ControlServer::tryTakeOver);
}

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
    if (open(problem, heldElsewhere))
        return true;
    if (heldElsewhere) {
        say(QStringLiteral("this instance does not take --toggle and --capture while %1; it takes them over when "
                           "that one ends")
                .arg(problem));
        m_takeOver.start();
    } else {
        say(QStringLiteral("this instance does not take --toggle and --capture: %1").arg(problem));
        m_handler = nullptr;
    }
    return false;
}

void ControlServer::tryTakeOver()
{
    QString problem;
    bool heldElsewhere = false;
    if (open(problem, heldElsewhere)) {
        m_takeOver.stop();
        say(QStringLiteral("this instance takes --toggle and --capture from now on"));
    } else if (!heldElsewhere) {
        m_takeOver.stop();
        say(QStringLiteral("this instance cannot take over --toggle and --capture: %1").arg(problem));
    }
}

bool ControlServer::open(QString& problem, bool& heldElsewhere)
{
    if (!openSocket(problem, heldElsewhere)) {
        closeSocket();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::accept);
    return true;
}

bool ControlServer::openSocket(QString& problem, bool& heldElsewhere)
{
    const QString path = control::SocketPath(problem);
    if (path.isEmpty())
        return false;
    m_lock = control::TakeInstanceLock(path, problem, &heldElsewhere);
    if (m_lock < 0)
        return false;
    // The lock is ours, so a socket file there is one that an ended
    // instance left behind.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        problem = m_server->errorString();
        return false;
    }
    return control::MakePrivate(path, problem);
}

void ControlServer::Close()
{
    m_takeOver.stop();
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

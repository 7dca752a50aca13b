// The running instance's end of `quorvel --toggle` and `quorvel --capture`:
// a local socket in the user's runtime folder (see ControlAccess.h). A
// client sends one line, "toggle" or "capture"; the handler gets the command
// and the client gets "ok". Anything else is ignored and said on stderr; a
// client of another user, or one that says nothing in time, is dropped.
#pragma once

#include "app/CommandLine.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

class ControlServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(ControlCommand)>;

    // The longest a client may take to send its line.
    static constexpr int kClientTimeoutMs = 2000;
    // The longest line taken; a longer one is not a command.
    static constexpr int kLongestLine = 64;

    explicit ControlServer(QObject* parent = nullptr);
    ~ControlServer() override;

    // Answers on the control socket from now on, unless another instance
    // already does or there is no private place for it; then says once on
    // stderr why this instance cannot be reached, and returns false. A socket
    // left behind by an instance that has ended is replaced.
    bool Listen(Handler handler);
    // Stops answering and removes the socket.
    void Close();

private:
    bool open(QString& problem);
    void accept();
    void read(QLocalSocket* client);

    QLocalServer* m_server = nullptr; // a child of this object while it listens
    Handler m_handler;
    int m_lock = -1;
};

// The running instance's end of `quorvel --toggle` and `quorvel --capture`:
// a local socket in the user's runtime folder (see ControlAccess.h). A
// client sends one line, "toggle" or "capture"; the handler gets the command
// and the client gets "ok". Anything else is ignored and said on stderr; a
// client of another user, or one that says nothing in time, is dropped.
//
// One instance answers at a time. Another that starts meanwhile waits for
// it on a thread of its own, without holding up its window or waking while
// it waits, and takes the socket over the moment the answering instance
// has ended.
#pragma once

#include "app/CommandLine.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace control {
class InstanceLockWait;
}

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
    // stderr why this instance cannot be reached, and returns false. While
    // another instance answers, this one takes over when it ends, and says
    // so. A socket left behind by an instance that has ended is replaced.
    bool Listen(Handler handler);
    // Stops answering (or waiting to) and removes the socket.
    void Close();
    bool IsListening() const { return m_server != nullptr; }

private:
    // Answers on `listener` while holding `lock`; without a listener, lets
    // go of the lock and returns false.
    bool answer(int lock, int listener);
    void takeOver();
    void closeSocket();
    void accept();
    void read(QLocalSocket* client);

    QLocalServer* m_server = nullptr; // a child of this object while it listens
    Handler m_handler;
    int m_lock = -1;
    std::unique_ptr<control::InstanceLockWait> m_wait; // while another instance answers
};

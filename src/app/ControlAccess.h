// Where the control socket of `quorvel --toggle` / `--capture` lives and who
// may use it, decided with the system's own calls: the socket is
// quorvel.sock in the user's private runtime folder ($XDG_RUNTIME_DIR), it is
// the user's own with mode 0600, only the one process that holds its lock
// answers on it, and only processes of the same user are heard.
#pragma once

#include <QString>
#include <QtGlobal>

namespace control {

// The socket's path; empty, with the reason in `problem`, when there is no
// private runtime folder to put it in (XDG_RUNTIME_DIR unset, not a folder,
// or not the user's own).
QString SocketPath(QString& problem);

// Takes the lock that makes this process the one that answers on
// `socketPath`: a descriptor to keep open while answering (the system lets
// go of it when the process ends, however it ends). -1 when another process
// holds it (then `heldElsewhere` is set), or it cannot be taken (`problem`
// says which).
int TakeInstanceLock(const QString& socketPath, QString& problem, bool* heldElsewhere = nullptr);
void ReleaseInstanceLock(int lock);

// Gives the socket file mode 0600 and checks that it is now a socket of this
// user that nobody else may use.
bool MakePrivate(const QString& socketPath, QString& problem);

// The process at the other end of the connected local socket `descriptor`
// runs as this user.
bool PeerIsThisUser(qintptr descriptor);

} // namespace control

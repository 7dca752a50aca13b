#include "app/ControlAccess.h"

// Windows has no per-user runtime folder of this kind; there the program
// takes global keys through RegisterHotKey, and `quorvel --toggle` /
// `--capture` say that they are not available.
namespace control {

QString SocketPath(QString& problem)
{
    problem = QStringLiteral("not available on Windows");
    return QString();
}

int TakeInstanceLock(const QString&, QString& problem)
{
    problem = QStringLiteral("not available on Windows");
    return -1;
}

void ReleaseInstanceLock(int) {}

bool MakePrivate(const QString&, QString& problem)
{
    problem = QStringLiteral("not available on Windows");
    return false;
}

bool PeerIsThisUser(qintptr)
{
    return false;
}

} // namespace control

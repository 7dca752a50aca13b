#include "support/SessionProcesses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace quorvel::test {

void endProcessesOfSession(const QString& runtimeDir)
{
    const QByteArray mark = "XDG_RUNTIME_DIR=" + runtimeDir.toLocal8Bit();
    for (const int signal : {SIGTERM, SIGKILL}) {
        bool found = false;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool isNumber = false;
            const qint64 pid = entry.toLongLong(&isNumber);
            QFile environment("/proc/" + entry + "/environ");
            if (!isNumber || pid == QCoreApplication::applicationPid() || !environment.open(QIODevice::ReadOnly))
                continue;
            if (environment.readAll().split('\0').contains(mark)) {
                ::kill(static_cast<pid_t>(pid), signal);
                found = true;
            }
        }
        if (!found)
            break;
        QThread::msleep(300);
    }
}

} // namespace quorvel::test

#include "app/StatusNotifierHost.h"

#include <QDBusConnection>
#include <QDBusInterface>

bool StatusNotifierHostRegistered()
{
    const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusInterface watcher(watcherName, QStringLiteral("/StatusNotifierWatcher"), watcherName,
                           QDBusConnection::sessionBus());
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

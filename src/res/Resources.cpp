#include "res/Resources.h"

#include <QFile>

// The icons are compiled into a static library, whose resources must be
// registered by hand.
static void initResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(quorvel);
        return true;
    }();
    (void)done;
}

namespace res {

QString loadString(unsigned id)
{
    switch (id) {
    case IDS_ABOUTBOX:
        return QStringLiteral("&About Quorvel...");
    case IDS_APP_TITLE:
        return QStringLiteral("Quorvel");
    case IDS_SELECT_CLICK:
        return QStringLiteral("Please select a mouse click from the list to continue.");
    case IDS_SAVE_CHANGES:
        return QStringLiteral("Would you like to Save the Changes Made?");
    case IDS_REGISTER_FAILED:
        return QStringLiteral("Failed to Register extension .tpx with Windows Explorer.");
    case IDS_ADD_OR_LOAD:
        return QStringLiteral("Please Add or Load Mouse Clicks to continue.");
    case IDS_SAVE_FAILED:
        return QStringLiteral("Could not save Quorvels to the location specified.");
    default:
        return QString();
    }
}

namespace {
QByteArray readResource(const QString& path)
{
    initResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
} // namespace

QIcon loadIcon(int id)
{
    initResources();
    QIcon icon;
    if (id != IDR_MAINFRAME)
        return icon;
    icon.addFile(QStringLiteral(":/icons/quorvel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/quorvel-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/quorvel.svg"));
    return icon;
}

QByteArray iconSvg()
{
    return readResource(QStringLiteral(":/icons/quorvel.svg"));
}

QByteArray iconPng(int size)
{
    return readResource(QStringLiteral(":/icons/quorvel-%1.png").arg(size));
}

} // namespace res

#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace quorvel::test {

IsolatedEnvironment::IsolatedEnvironment()
{
    if (!m_dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder for the test\n");
        std::exit(1);
    }
    const QByteArray root = QFile::encodeName(m_dir.path());
    QDir(m_dir.path()).mkpath("config");
    QDir(m_dir.path()).mkpath("data");
    QDir(m_dir.path()).mkpath("cache");
    QDir(m_dir.path()).mkpath("runtime");
    QFile::setPermissions(m_dir.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

QString profilePath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvane/Quorvel.conf");
}

bool writeProfile(const QByteArray& settingsGroupBody)
{
    // Every file written so far, by this process or the program, carries a
    // time no later than now; a whole second past both now and the last
    // stamp given here is therefore a time no earlier version of the file
    // had, on any file system's clock granularity.
    static QDateTime lastStamp;
    QDateTime stamp = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 1);
    if (lastStamp.isValid() && stamp <= lastStamp)
        stamp = lastStamp.addSecs(1);
    lastStamp = stamp;

    const QString path = profilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = "[Settings]\n" + settingsGroupBody;
    return file.write(text) == text.size() && file.flush()
        && file.setFileTime(stamp, QFileDevice::FileModificationTime);
}

QString profileValue(const QString& name)
{
    return QSettings(profilePath(), QSettings::IniFormat).value(QStringLiteral("Settings/") + name).toString();
}

} // namespace quorvel::test

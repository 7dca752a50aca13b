#include "support/TestEnvironment.h"

#include <QDir>

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
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace quorvel::test

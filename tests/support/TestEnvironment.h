// Every test process runs with its own empty HOME, XDG_CONFIG_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR (mode 0700), so that no
// test reads or writes the user's settings or file associations or reaches
// the user's running program, and without a session bus.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quorvel::test {

class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

    QString root() const { return m_dir.path(); }
    QString configHome() const { return m_dir.path() + "/config"; }
    QString dataHome() const { return m_dir.path() + "/data"; }

private:
    QTemporaryDir m_dir;
};

// The program's profile file in the isolated environment.
QString profilePath();

// Writes the profile as a person editing it would: "[Settings]" followed by
// the given lines. Qt keeps parsed settings files in a process-wide cache and
// re-reads one only when its size or modification time changed; two writes
// of the same size inside one file-system clock tick would go unnoticed, so
// each write gets a modification time no earlier version of the file had.
bool writeProfile(const QByteArray& settingsGroupBody);

// A value of the "Settings" group as it now stands in the file.
QString profileValue(const QString& name);

} // namespace quorvel::test

// main() for a QtTest class that needs a QApplication: the isolated
// environment is in place before Qt reads any of it.
#define QUORVEL_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        quorvel::test::IsolatedEnvironment environment;                                                      \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass testObject;                                                                                \
        return QTest::qExec(&testObject, argc, argv);                                                        \
    }

// The same for tests that need no widgets.
#define QUORVEL_TEST_MAIN_CORE(TestClass)                                                                    \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        quorvel::test::IsolatedEnvironment environment;                                                      \
        QCoreApplication app(argc, argv);                                                                    \
        TestClass testObject;                                                                                \
        return QTest::qExec(&testObject, argc, argv);                                                        \
    }

// The XDG shell back end on real files in the test's own XDG folders: what it
// writes, that a second start changes nothing, that mimeapps.list keeps what
// others put there, how it fails, and, where the desktop's own tools are
// installed, that they see the association it made.
#include "platform/x11/XdgShell.h"
#include "files/RegisterFileType.h"
#include "files/SequenceCodec.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

#include <unistd.h>

using platform::x11::XdgShell;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// Every file under `root` with its bytes and modification time.
struct Snapshot {
    QMap<QString, QByteArray> contents;
    QMap<QString, QDateTime> times;
};
Snapshot snapshot(const QString& root)
{
    Snapshot s;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        s.contents.insert(path, readFile(path));
        s.times.insert(path, QFileInfo(path).lastModified());
    }
    return s;
}

const std::vector<platform::IconImage> kIcons = {
    {"32x32", "png", std::string("\x89PNG\r\n\x1a\n-32", 11)},
    {"256x256", "png", std::string("\x89PNG\r\n\x1a\n-256", 12)},
    {"scalable", "svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"},
};

// A process run with a bound on its time; ended by its pid when it overruns.
struct Run {
    bool finished = false;
    int exitCode = -1;
    QString output;
};
Run runBounded(const QString& program, const QStringList& arguments, int timeoutMs = 20000)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Make xdg-utils take its generic path, which reads the XDG files.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    Run run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return run;
}

bool haveTool(const char* name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace

class XdgShellTest : public QObject {
    Q_OBJECT

    QString m_dataHome;
    QString m_configHome;
    QByteArray m_path;
    QString m_executable; // a real program, so that xdg-utils accepts the entry

    QString package() const { return m_dataHome + "/mime/packages/quorvel.xml"; }
    QString desktopEntry() const { return m_dataHome + "/applications/com.corvane.quorvel.desktop"; }
    QString mimeApps() const { return m_configHome + "/mimeapps.list"; }

    platform::Result registerWith(XdgShell& shell, const std::string& executable)
    {
        platform::Result outcome;
        files::registerFileType(shell, "tpx", "Quorvel File", executable, kIcons, &outcome);
        return outcome;
    }
    platform::Result registerNow()
    {
        XdgShell shell;
        return registerWith(shell, m_executable.toStdString());
    }

    // desktop-file-validate, where installed, finds nothing to say.
    void checkDesktopEntryIsValid()
    {
        if (!haveTool("desktop-file-validate"))
            return;
        const Run run = runBounded("desktop-file-validate", {desktopEntry()});
        QVERIFY2(run.finished && run.exitCode == 0 && run.output.isEmpty(), qPrintable(run.output));
    }

private slots:
    void initTestCase()
    {
        m_dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        m_configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
        m_path = qgetenv("PATH");
        m_executable = QCoreApplication::applicationFilePath();
        QVERIFY(QDir::isAbsolutePath(m_dataHome) && QDir::isAbsolutePath(m_configHome));
    }

    // Each test starts from empty XDG folders and the real PATH.
    void init()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome));
        qputenv("PATH", m_path);
        for (const QString& dir : {m_dataHome, m_configHome}) {
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QDir(dir).removeRecursively();
            QDir().mkpath(dir);
        }
    }

    void writesTypeEntryIconsAndDefault()
    {
        const platform::Result result = registerNow();
        QVERIFY2(result.ok, result.message.c_str());

        QXmlStreamReader xml(readFile(package()));
        QStringList seen; // each element with its attribute values and text
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            QString item = xml.name().toString();
            for (const QXmlStreamAttribute& attribute : xml.attributes())
                item += " " + attribute.value().toString();
            if (xml.name() == QLatin1String("comment"))
                item += " " + xml.readElementText();
            seen << item;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(seen, (QStringList{"mime-info", "mime-type application/x-quorvel", "comment Quorvel File",
                                    "icon quorvel", "glob *.tpx"}));

        const QList<QByteArray> entry = readFile(desktopEntry()).split('\n');
        QCOMPARE(entry.first(), QByteArray("[Desktop Entry]"));
        for (const QByteArray& line :
             {QByteArray("Type=Application"), QByteArray("Name=Quorvel"),
              "Exec=" + QFile::encodeName(m_executable) + " %f", QByteArray("MimeType=application/x-quorvel;"),
              QByteArray("Icon=quorvel"), QByteArray("Terminal=false")})
            QVERIFY2(entry.contains(line), line.constData());

        for (const platform::IconImage& icon : kIcons) {
            const QString path = m_dataHome + "/icons/hicolor/" + QString::fromStdString(icon.size) + "/apps/quorvel." +
                                 QString::fromStdString(icon.format);
            QCOMPARE(readFile(path), QByteArray::fromStdString(icon.data));
        }
        QCOMPARE(readFile(mimeApps()),
                 QByteArray("[Default Applications]\napplication/x-quorvel=com.corvane.quorvel.desktop\n"));

        checkDesktopEntryIsValid();
    }

    void execLineOfAnAwkwardPathIsValid()
    {
        XdgShell shell;
        const platform::Result result = registerWith(shell, "/opt/My Tools/$x\\y/100%/quorvel");
        QVERIFY2(result.ok, result.message.c_str());
        // Exec quoting first, then the backslash escape of the file's strings.
        QVERIFY(readFile(desktopEntry()).split('\n').contains(R"(Exec="/opt/My Tools/\\$x\\\\y/100%%/quorvel" %f)"));
        checkDesktopEntryIsValid();
    }

    void secondStartChangesNothing()
    {
        QVERIFY(registerNow().ok);
        const Snapshot first = snapshot(QFileInfo(m_dataHome).absolutePath());
        QTest::qSleep(20); // so that a rewrite would show in the times
        QVERIFY(registerNow().ok);
        const Snapshot second = snapshot(QFileInfo(m_dataHome).absolutePath());
        QCOMPARE(second.contents.keys(), first.contents.keys());
        for (auto it = first.contents.cbegin(); it != first.contents.cend(); ++it) {
            QVERIFY2(second.contents.value(it.key()) == it.value(), qPrintable(it.key()));
            QVERIFY2(second.times.value(it.key()) == first.times.value(it.key()), qPrintable(it.key()));
        }
    }

    void mimeAppsKeepsEverythingElse_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        const QByteArray ours = "application/x-quorvel=com.corvane.quorvel.desktop";
        QTest::newRow("other groups only")
            << QByteArray("[Added Associations]\ntext/plain=gedit.desktop;\n")
            << "[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n" + ours + "\n";
        QTest::newRow("group between others")
            << QByteArray("# mine\n[Default Applications]\ntext/html=firefox.desktop\n\n[Removed Associations]\n"
                          "image/png=gimp.desktop;\n")
            << "# mine\n[Default Applications]\ntext/html=firefox.desktop\n" + ours +
                   "\n\n[Removed Associations]\nimage/png=gimp.desktop;\n";
        QTest::newRow("another default replaced")
            << QByteArray(
                   "[Default Applications]\na/b=x.desktop\napplication/x-quorvel = other.desktop;\nc/d=y.desktop\n")
            << "[Default Applications]\na/b=x.desktop\n" + ours + "\nc/d=y.desktop\n";
        QTest::newRow("ours first of several is kept")
            << QByteArray("[Default Applications]\napplication/x-quorvel=com.corvane.quorvel.desktop;other.desktop;\n")
            << QByteArray("[Default Applications]\napplication/x-quorvel=com.corvane.quorvel.desktop;other.desktop;\n");
        QTest::newRow("no final newline") << QByteArray("[Default Applications]\ntext/html=firefox.desktop")
                                          << "[Default Applications]\ntext/html=firefox.desktop\n" + ours + "\n";
        QTest::newRow("no final newline, other group last")
            << QByteArray("[Default Applications]\ntext/html=firefox.desktop\n[X]\nk=v")
            << "[Default Applications]\ntext/html=firefox.desktop\n" + ours + "\n[X]\nk=v";
        QTest::newRow("windows line ends, replaced")
            << QByteArray("[Default Applications]\r\napplication/x-quorvel=old.desktop\r\n")
            << "[Default Applications]\r\n" + ours + "\r\n";
        QTest::newRow("windows line ends, added") << QByteArray("[Default Applications]\r\na/b=x.desktop\r\n")
                                                  << "[Default Applications]\r\na/b=x.desktop\r\n" + ours + "\r\n";
        QTest::newRow("empty file") << QByteArray() << "[Default Applications]\n" + ours + "\n";
    }
    void mimeAppsKeepsEverythingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        writeFile(mimeApps(), before);
        const platform::Result result = registerNow();
        QVERIFY2(result.ok, result.message.c_str());
        QCOMPARE(readFile(mimeApps()), after);
    }

    void unwritableDataHomeFailsNamingThePath()
    {
        // A regular file where the data folder's parent should be: no user,
        // root included, can create folders below it.
        const QString blocker = m_dataHome + "/blocker";
        writeFile(blocker, "not a folder");
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + "/share"));
        const platform::Result result = registerNow();
        QVERIFY(!result.ok);
        QCOMPARE(result.error, 5u);
        QVERIFY2(QString::fromStdString(result.message).contains(blocker + "/share/mime/packages/quorvel.xml"),
                 result.message.c_str());
        QVERIFY(!QFileInfo::exists(mimeApps()));
    }

    void readOnlyDataHomeFails()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not bind root");
        QFile::setPermissions(m_dataHome, QFile::ReadOwner | QFile::ExeOwner);
        const platform::Result result = registerNow();
        QFile::setPermissions(m_dataHome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!result.ok);
        QCOMPARE(result.error, 5u);
        QVERIFY(QString::fromStdString(result.message).contains(m_dataHome));
    }

    void unwritableMimeAppsFailsAndKeepsWhatIsThere()
    {
        // A folder in the place of the file: it can be neither read nor replaced.
        QVERIFY(QDir().mkpath(mimeApps() + "/keep"));
        const platform::Result result = registerNow();
        QVERIFY(!result.ok);
        QVERIFY2(QString::fromStdString(result.message).contains(mimeApps()), result.message.c_str());
        QVERIFY(QFileInfo(mimeApps() + "/keep").isDir());
    }

    void valuesThatWouldLeaveTheirFoldersAreRefused()
    {
        XdgShell shell;
        platform::FileTypeRegistration registration;
        registration.extension = ".tpx";
        registration.description = "Quorvel File";
        registration.openCommand = "/usr/bin/quorvel %f";
        registration.iconName = "quorvel";
        registration.icons = {{"../../../evil", "png", "x"}};
        platform::Result result = shell.registerFileType(registration);
        QVERIFY(!result.ok);
        QCOMPARE(result.error, 87u);

        registration.icons.clear();
        registration.iconName = "../quorvel";
        QVERIFY(!shell.registerFileType(registration).ok);
        registration.iconName = "quorvel";
        registration.extension = ".*";
        QVERIFY(!shell.registerFileType(registration).ok);
        registration.extension = ".tpx";
        registration.openCommand = "/usr/bin/quo\xff\xfe %f";
        QVERIFY(!shell.registerFileType(registration).ok);
        QVERIFY(snapshot(m_dataHome).contents.isEmpty());
        QVERIFY(!QFileInfo::exists(mimeApps()));
    }

    void slowOrFailingCacheToolFailsInBoundedTime()
    {
        const QString bin = m_dataHome + "/../fakebin";
        QDir().mkpath(bin);
        const QString tool = bin + "/update-mime-database";
        writeFile(tool, "#!/bin/sh\necho noise; echo noise >&2\nexec sleep 30\n");
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin) + ":" + m_path);

        QElapsedTimer timer;
        timer.start();
        XdgShell slow(300);
        platform::Result result = registerWith(slow, m_executable.toStdString());
        QVERIFY(!result.ok);
        QVERIFY2(QString::fromStdString(result.message).contains("took too long"), result.message.c_str());
        QVERIFY(timer.elapsed() < 10000);

        writeFile(tool, "#!/bin/sh\nexit 3\n");
        result = registerNow();
        QVERIFY(!result.ok);
        QVERIFY2(QString::fromStdString(result.message).contains("failed"), result.message.c_str());
        // The cache is still missing, so the next start tries again.
        qputenv("PATH", m_path);
        if (haveTool("update-mime-database")) {
            QVERIFY(registerNow().ok);
            QVERIFY(QFileInfo::exists(m_dataHome + "/mime/mime.cache"));
        }
    }

    void desktopToolsSeeTheAssociation()
    {
        if (!haveTool("update-mime-database") || !haveTool("xdg-mime") || !haveTool("mimetype"))
            QSKIP("needs update-mime-database (shared-mime-info), xdg-mime (xdg-utils) and mimetype "
                  "(libfile-mimeinfo-perl)");
        if (m_executable.contains(' '))
            QSKIP("xdg-mime cannot follow a quoted program path");
        const platform::Result result = registerNow();
        QVERIFY2(result.ok, result.message.c_str());
        QVERIFY(QFileInfo::exists(m_dataHome + "/mime/mime.cache"));
        if (haveTool("update-desktop-database"))
            QVERIFY(readFile(m_dataHome + "/applications/mimeinfo.cache")
                        .contains("application/x-quorvel=com.corvane.quorvel.desktop;"));

        const QString file = m_dataHome + "/../Some Clicks.TPX";
        const std::vector<std::uint8_t> bytes = files::encodeSequence(1, {CClickEntry()});
        writeFile(file, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));

        Run run = runBounded("xdg-mime", {"query", "filetype", file});
        QVERIFY(run.finished);
        QCOMPARE(run.output, QString("application/x-quorvel"));
        run = runBounded("xdg-mime", {"query", "default", "application/x-quorvel"});
        QVERIFY(run.finished);
        QCOMPARE(run.output, QString("com.corvane.quorvel.desktop"));
    }

    void cleanupTestCase() { qputenv("PATH", m_path); }
};

QUORVEL_TEST_MAIN_CORE(XdgShellTest)
#include "XdgShellTest.moc"

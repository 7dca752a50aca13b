// Opening a sequence from the desktop: one start of the program registers
// the file type for its user, after which the desktop's own tools name our
// type and entry, and xdg-open plays a file unattended until the program
// exits by itself. A registration that cannot be written is said once.
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/TestEnvironment.h"
#include "support/XvfbServer.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

using namespace quorvel::test;

namespace {

// Starts the program normally and closes it once its window is up.
void startOnce()
{
    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    const auto window = waitForWindow(QStringLiteral("^Quorvel Software Utility"));
    QVERIFY2(window, "the main window did not appear");
    QVERIFY(focusWindow(*window));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    QVERIFY(program.waitForExit(15000));
}

// xdg-open of `sequence` (two left clicks, at 50,60 and 120,90) plays it
// unattended and the program ends by itself.
void opensAndPlays(const QString& sequence)
{
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = QRect(0, 0, 200, 200);
    QVERIFY2(recorder.start(options), qPrintable(recorder.errorString()));
    const ProcessOutput out = runBounded(QStringLiteral("xdg-open"), {sequence}, 60000);
    QVERIFY2(out.finished, "the unattended run did not end by itself");
    QVERIFY2(out.exitCode == 0, qPrintable(out.describe()));
    const std::vector<RecordedEvent> events = recorder.take(4, 10000);
    QCOMPARE(events.size(), size_t(4));
    QVERIFY(events[0].isButton(RecordedEvent::Kind::Press, 1));
    QCOMPARE(QPoint(events[0].x, events[0].y), QPoint(50, 60));
    QVERIFY(events[2].isButton(RecordedEvent::Kind::Press, 1));
    QCOMPARE(QPoint(events[2].x, events[2].y), QPoint(120, 90));
    QVERIFY(visibleWindows(QStringLiteral("Quorvel")).isEmpty());
}

} // namespace

class FileTypeEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void desktopOpensSequencesWithUs();
    void unwritableDataFolderIsReportedOnce();
    void installedPackageOpensSequences();

private:
    std::unique_ptr<XvfbServer> m_server;
};

void FileTypeEndToEndTest::initTestCase()
{
    m_server = std::make_unique<XvfbServer>();
    QVERIFY2(m_server->isRunning(), qPrintable(m_server->errorString()));
    m_server->exportDisplay();
}

void FileTypeEndToEndTest::desktopOpensSequencesWithUs()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        QSKIP("xdg-utils and shared-mime-info are not installed");
    startOnce();
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    QVERIFY(QFile::exists(dataHome + "/applications/com.corvane.quorvel.desktop"));

    const QString sequence =
        writeSequence(QStringLiteral("Clicks.tpx"), 1, {clickAt(50, 60, 50), clickAt(120, 90, 50)});
    QVERIFY(!sequence.isEmpty());
    ProcessOutput out = runBounded(QStringLiteral("xdg-mime"), {"query", "filetype", sequence});
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QCOMPARE(out.standardOutput.trimmed(), QByteArray("application/x-quorvel"));
    out = runBounded(QStringLiteral("xdg-mime"), {"query", "default", "application/x-quorvel"});
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QCOMPARE(out.standardOutput.trimmed(), QByteArray("com.corvane.quorvel.desktop"));

    opensAndPlays(sequence);
}

void FileTypeEndToEndTest::unwritableDataFolderIsReportedOnce()
{
    // A file where the data folder should be: no registration can be written
    // there, whoever runs the program.
    const QString blocked = qEnvironmentVariable("HOME") + "/not-a-folder";
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));

    BoundedProcess program;
    program.discardStandardOutput();
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    const auto box = waitForWindow(QStringLiteral("^Quorvel$"));
    qputenv("XDG_DATA_HOME", previous);
    QVERIFY2(box, "no message about the registration");
    QVERIFY(visibleWindows(QStringLiteral("^Quorvel Software Utility")).isEmpty()); // start-up waits for it
    QVERIFY(focusWindow(*box));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    const auto window = waitForWindow(QStringLiteral("^Quorvel Software Utility"));
    QVERIFY2(window, "the program did not go on starting");
    QVERIFY(visibleWindows(QStringLiteral("^Quorvel$")).isEmpty()); // said once
    program.stop();
}

// The program as the Debian package installs it (scripts/test-package.sh
// names it): its system-wide desktop entry and MIME type alone make the
// desktop open sequences with it, before it has ever run for this user.
void FileTypeEndToEndTest::installedPackageOpensSequences()
{
    const QString installed = qEnvironmentVariable("QUORVEL_INSTALLED_PROGRAM");
    if (installed.isEmpty())
        QSKIP("no installed package to test (scripts/test-package.sh runs this)");
    const QString sequence =
        writeSequence(QStringLiteral("Installed.tpx"), 1, {clickAt(50, 60, 50), clickAt(120, 90, 50)});
    QVERIFY(!sequence.isEmpty());
    const ProcessOutput out = runBounded(QStringLiteral("xdg-mime"), {"query", "default", "application/x-quorvel"});
    QVERIFY2(out.succeeded(), qPrintable(out.describe()));
    QCOMPARE(out.standardOutput.trimmed(), QByteArray("com.corvane.quorvel.desktop"));
    opensAndPlays(sequence);
    // It was the installed program that played: its own registration for the
    // user now names it.
    QFile entry(qEnvironmentVariable("XDG_DATA_HOME") + "/applications/com.corvane.quorvel.desktop");
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY2(entry.readAll().contains("Exec=" + QFile::encodeName(installed) + " "), "another program played the file");
}

QUORVEL_TEST_MAIN_CORE(FileTypeEndToEndTest)
#include "tst_filetype_e2e.moc"

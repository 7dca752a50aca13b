// The real program in the real KDE stack (KWin, PipeWire, the desktop portal
// with KDE's back end), clicking through the portal: six unattended runs in
// one session, and a session of two monitors side by side, each run with
// every click exact, the double click's last release included (a lost one
// leaves the button held and the next run's first press swallowed); exit 0.
// The stored start/stop hot key, bound in KDE's shortcut service and
// pressed through KWin's fake input, starts and then stops playback. Clicks
// are seen by the click recorder under XWayland.
#include "support/ClickRecorder.h"
#include "support/Desktop.h"
#include "support/E2eSession.h"
#include "support/KdeSession.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

using namespace quorvel::test;

namespace {

CClickEntry row(int x, int y, int clickType)
{
    CClickEntry e = clickAt(x, y, 100);
    e.m_clickType = clickType;
    return e;
}

KdeSession::Options outputs(int count)
{
    KdeSession::Options options;
    options.outputCount = count;
    return options;
}

} // namespace

class KdeEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void sixRunsInOneSessionClickExactly();
    void twoMonitorsSideBySide();
    void aStoredHotKeyStartsAndStopsPlayback();

private:
    // Plays `file` unattended `runs` times and checks every run's events.
    void playRuns(const KdeSession& session, const QString& file, int runs, const QStringList& expected);
};

void KdeEndToEndTest::playRuns(const KdeSession& session, const QString& file, int runs, const QStringList& expected)
{
    session.exportEnvironment();
    ClickRecorder recorder;
    QVERIFY2(recorder.start(), qPrintable(recorder.errorString()));
    for (int run = 1; run <= runs; ++run) {
        BoundedProcess program;
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
        const std::vector<RecordedEvent> events = recorder.take(expected.size(), 20000);
        QVERIFY2(program.waitForExit(15000), "the run did not end by itself");
        const QString failure = QStringLiteral("run %1: %2 | %3")
                                    .arg(run)
                                    .arg(describe(events), QString::fromLocal8Bit(program.readAllStandardError()));
        QVERIFY2(buttonsOf(events) == expected, qPrintable(failure));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(recorder.collectFor(100).empty(), qPrintable(failure));
    }
}

void KdeEndToEndTest::sixRunsInOneSessionClickExactly()
{
    const KdeSession session(outputs(1));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    QVERIFY(writeProfile(""));
    // Left, right where the left one was not, and a double click last, whose
    // last release comes just before the session closes.
    const QString file =
        writeSequence(QStringLiteral("kde.tpx"), 1, {row(50, 50, 0), row(1000, 900, 1), row(640, 300, 2)});
    playRuns(session, file, 6,
             clickLines(1, 50, 50) + clickLines(3, 1000, 900) + clickLines(1, 640, 300) + clickLines(1, 640, 300));
}

void KdeEndToEndTest::twoMonitorsSideBySide()
{
    const KdeSession session(outputs(2));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    QVERIFY(writeProfile(""));
    // The first monitor's left edge and bottom right corner (the top left
    // corner is a screen edge with an action, from which KWin pushes the
    // pointer back by a pixel, as it does a mouse's), and one click on the
    // second monitor.
    const QString file = writeSequence(QStringLiteral("two.tpx"), 1,
                                       {row(0, 512, 0), row(1279, 1023, 1), row(1500, 200, 0), row(300, 100, 0)});
    playRuns(session, file, 2,
             clickLines(1, 0, 512) + clickLines(3, 1279, 1023) + clickLines(1, 1500, 200) + clickLines(1, 300, 100));
}

void KdeEndToEndTest::aStoredHotKeyStartsAndStopsPlayback()
{
    const KdeSession session(outputs(1));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    session.exportEnvironment();
    QVERIFY(writeProfile("StopMouseClicks%20Key=80\nStopMouseClicks%20Mod=3\n")); // Ctrl+Alt+P
    ClickRecorder::Options strip;
    strip.area = QRect(0, 0, 1280, 200);
    ClickRecorder recorder;
    QVERIFY2(recorder.start(strip), qPrintable(recorder.errorString()));
    BoundedProcess program;
    QVERIFY2(program.start(programPath(), {}), qPrintable(program.errorString()));
    {
        // Bound at start in KDE's shortcut service, as KDE's programs bind theirs.
        const QDBusConnection bus =
            QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("kde"));
        const auto bound = [&bus] {
            const QDBusMessage reply =
                bus.call(QDBusMessage::createMethodCall("org.kde.kglobalaccel", "/component/quorvel",
                                                        "org.kde.kglobalaccel.Component", "shortcutNames"),
                         QDBus::Block, 2000);
            return reply.arguments().value(0).toStringList().contains(QStringLiteral("hotkey-2"));
        };
        QTRY_VERIFY_WITH_TIMEOUT(bound(), 15000);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("kde"));
    QTest::qWait(1000); // the window comes up with the keyboard
    // A row typed into the window, its X field first: 300, Tab, 100, Return.
    QVERIFY(session.pressKeys({"4", "11", "11", "15", "2", "11", "11", "28"}));
    QVERIFY(session.pressKeys({"29+56+25"}));
    QCOMPARE(buttonsOf(recorder.take(2, 8000)), clickLines(1, 300, 100));
    QVERIFY(session.pressKeys({"29+56+25"}));
    recorder.collectFor(300);
    QVERIFY2(recorder.collectFor(1500).empty(), "the second press did not stop the run");
}

QUORVEL_TEST_MAIN_CORE(KdeEndToEndTest)
#include "tst_kde_e2e.moc"

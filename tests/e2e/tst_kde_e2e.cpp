// The real program in the real KDE stack (KWin, PipeWire, the desktop portal
// with KDE's back end), clicking through the portal: six unattended runs in
// one session, and a session of two monitors side by side, each run with
// every click exact, the double click's last release included (a lost one
// leaves the button held and the next run's first press swallowed); exit 0.
// The stored start/stop hot key, bound in KDE's shortcut service and
// pressed through KWin's fake input, starts and then stops playback; a
// second instance with the same key is refused it, and says so, and the
// first keeps it. Clicks are seen by the click recorder under XWayland.
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

// The program's action that holds Ctrl+Alt+P in KDE's shortcut service.
QString holderOfCtrlAltP()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", "action");
    call.setArguments({0x0C000000 | 'P'}); // Qt::CTRL | Qt::ALT | Qt::Key_P
    const QStringList action =
        QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("kde"))
            .call(call, QDBus::Block, 2000)
            .arguments()
            .value(0)
            .toStringList();
    QDBusConnection::disconnectFromBus(QStringLiteral("kde"));
    return action.value(0) == QLatin1String("quorvel") ? action.value(1) : QString();
}

} // namespace

class KdeEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void sixRunsInOneSessionClickExactly();
    void twoMonitorsSideBySide();
    void aStoredHotKeyStartsAndStopsPlayback();
    void aSecondInstanceIsRefusedTheFirstOnesHotKey();

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
    // Bound at start in KDE's shortcut service, as KDE's programs bind theirs.
    QTRY_COMPARE_WITH_TIMEOUT(holderOfCtrlAltP(), "hotkey-2-" + QString::number(program.pid()), 15000);
    QTest::qWait(1000); // the window comes up with the keyboard
    // A row typed into the window, its X field first: 300, Tab, 100, Return.
    QVERIFY(session.pressKeys({"4", "11", "11", "15", "2", "11", "11", "28"}));
    QVERIFY(session.pressKeys({"29+56+25"}));
    QCOMPARE(buttonsOf(recorder.take(2, 8000)), clickLines(1, 300, 100));
    QVERIFY(session.pressKeys({"29+56+25"}));
    recorder.collectFor(300);
    QVERIFY2(recorder.collectFor(1500).empty(), "the second press did not stop the run");
}

void KdeEndToEndTest::aSecondInstanceIsRefusedTheFirstOnesHotKey()
{
    const KdeSession session(outputs(1));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    session.exportEnvironment();
    QVERIFY(writeProfile("StopMouseClicks%20Key=80\nStopMouseClicks%20Mod=3\n")); // Ctrl+Alt+P
    BoundedProcess first;
    first.discardStandardOutput();
    QVERIFY(first.start(programPath(), {writeSequence(QStringLiteral("endless.tpx"), 0, {row(300, 100, 0)})}));
    // Its own action holds the key (one that a killed instance left is gone).
    const QString firstKey = "hotkey-2-" + QString::number(first.pid());
    QTRY_COMPARE_WITH_TIMEOUT(holderOfCtrlAltP(), firstKey, 15000);

    // The second is refused the key, as on X11, and says so in the box of a
    // hot key that cannot be registered, read as a screen reader reads it.
    // Answered (on XWayland, where xdotool reaches it), the run plays its one
    // click and ends by itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    BoundedProcess second;
    second.setEnvironment(environment);
    second.discardStandardOutput();
    QVERIFY(second.start(programPath(), {writeSequence(QStringLiteral("once.tpx"), 1, {row(600, 100, 0)})}));
    const ProcessOutput said =
        runBounded(QStringLiteral("/usr/bin/python3"),
                   {qEnvironmentVariable("QUORVEL_SOURCE_DIR") + "/tests/e2e/tools/atspi-names.py", "quorvel", "20",
                    "Failed to Load HotKey to Start / Stop Mouse Clicks, Last Error 1409."},
                   40000);
    QVERIFY2(said.succeeded(), qPrintable(said.describe()));
    QVERIFY(answerMessageBox());
    QVERIFY2(second.waitForExit(15000), "the second run did not end");
    QCOMPARE(second.exitCode(), 0);

    // The first still holds it: one press ends its run.
    QVERIFY(session.pressKeys({"29+56+25"}));
    QVERIFY2(first.waitForExit(10000), "the first run's hot key did not stop it");
    QCOMPARE(first.exitCode(), 0);
}

QUORVEL_TEST_MAIN_CORE(KdeEndToEndTest)
#include "tst_kde_e2e.moc"

// The real program in the real KDE stack (KWin, PipeWire, the desktop portal
// with KDE's back end), clicking through the portal: on Plasma 5.27 (portal
// version 1) through its Notify calls, on Plasma 6 (version 2) through libei.
// Runs in one session, on one monitor and on two side by side, each run with
// every click exact, the double click's last release included (a lost one
// leaves the button held and the next run's first press swallowed), exit 0,
// and the program naming the path that clicked and no other. Plasma 6 asks
// ("Remote control requested") at the first run only, which is answered as
// a person would; no dialog holds the later runs back. Before each run the
// pointer rests away from the first click, on a recorder. The stored
// start/stop hot key, bound in KDE's shortcut service and pressed through
// KWin's fake input, starts and then stops playback; a second instance with
// the same key is refused it, and says so, and the first keeps it. Clicks
// are seen by the click recorder under XWayland, on strips round the
// screen's centre, where the dialog comes.
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

// Round the first monitor's centre, and the whole of a second one.
const std::vector<QRect> kStrips{QRect(0, 0, 1280, 240), QRect(0, 790, 1280, 234), QRect(0, 240, 290, 550),
                                 QRect(990, 240, 290, 550), QRect(1280, 0, 1280, 1024)};
const QString kRestingPointer = QStringLiteral("@1200,900");

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
    void playRuns(KdeSession& session, const QString& file, int runs, const QStringList& expected);
};

void KdeEndToEndTest::playRuns(KdeSession& session, const QString& file, int runs, const QStringList& expected)
{
    session.exportEnvironment();
    ClickRecorder recorder;
    ClickRecorder::Options strips;
    strips.more = kStrips;
    QVERIFY2(recorder.start(strips), qPrintable(recorder.errorString()));
    const uint version = session.remoteDesktopVersion();
    for (int run = 1; run <= runs; ++run) {
        const QString where = QStringLiteral("run %1 (portal version %2)").arg(run).arg(version);
        QVERIFY(session.pressKeys({kRestingPointer}));
        BoundedProcess program;
        QVERIFY2(program.start(programPath(), {file}), qPrintable(program.errorString()));
        // Plasma 6 asks at the first run of a session's program only; a
        // dialog at a later run would hold its clicks back.
        if (run == 1 && version >= 2)
            QVERIFY2(session.answerRemoteControlDialog(20000), qPrintable(where + ": " + session.errorString()));
        const std::vector<RecordedEvent> events = recorder.take(expected.size(), 20000);
        QVERIFY2(program.waitForExit(15000), qPrintable(where + " did not end by itself"));
        const QByteArray errors = program.readAllStandardError();
        const QString failure = where + ": " + describe(events) + " | " + QString::fromLocal8Bit(errors);
        QVERIFY2(buttonsOf(events) == expected, qPrintable(failure));
        QCOMPARE(program.exitCode(), 0);
        const QString path = wrongClickPath(errors, version);
        QVERIFY2(path.isEmpty(), qPrintable(where + ": " + path));
        QVERIFY2(recorder.collectFor(100).empty(), qPrintable(failure));
    }
}

void KdeEndToEndTest::sixRunsInOneSessionClickExactly()
{
    KdeSession session(outputs(1));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    QVERIFY(writeProfile(""));
    // Left, right where the left one was not, and a double click last, whose
    // last release comes just before the session closes.
    const QString file =
        writeSequence(QStringLiteral("kde.tpx"), 1, {row(50, 50, 0), row(1000, 900, 1), row(640, 150, 2)});
    playRuns(session, file, 6,
             clickLines(1, 50, 50) + clickLines(3, 1000, 900) + clickLines(1, 640, 150) + clickLines(1, 640, 150));
}

void KdeEndToEndTest::twoMonitorsSideBySide()
{
    KdeSession session(outputs(2));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    QVERIFY(writeProfile(""));
    // The first monitor's left edge and bottom right corner (the top left
    // corner is a screen edge with an action, from which KWin pushes the
    // pointer back by a pixel, as it does a mouse's), and one click on the
    // second monitor.
    const QString file = writeSequence(QStringLiteral("two.tpx"), 1,
                                       {row(0, 512, 0), row(1279, 1023, 1), row(1500, 200, 0), row(300, 100, 0)});
    playRuns(session, file, 3,
             clickLines(1, 0, 512) + clickLines(3, 1279, 1023) + clickLines(1, 1500, 200) + clickLines(1, 300, 100));

    // Through libei a row on no monitor stops the run, which says so and
    // ends with code 1, rather than clicking wherever the pointer is.
    if (session.remoteDesktopVersion() < 2)
        return;
    ClickRecorder recorder;
    ClickRecorder::Options strips;
    strips.more = kStrips;
    QVERIFY2(recorder.start(strips), qPrintable(recorder.errorString()));
    BoundedProcess program;
    const QString off = writeSequence(QStringLiteral("off.tpx"), 1, {row(100, 100, 0), row(3000, 100, 0)});
    QVERIFY2(program.start(programPath(), {off}), qPrintable(program.errorString()));
    QCOMPARE(buttonsOf(recorder.take(2, 20000)), clickLines(1, 100, 100));
    QVERIFY2(session.answerWindow(QStringLiteral("Quorvel"), 20000), qPrintable(session.errorString()));
    QVERIFY2(program.waitForExit(15000), "the run did not end");
    const QByteArray errors = program.readAllStandardError();
    QVERIFY2(errors.contains("Mouse clicks stopped: the position (3000, 100) is on no screen of the desktop."),
             errors.constData());
    QCOMPARE(program.exitCode(), 1);
    QVERIFY(recorder.collectFor(200).empty());
}

void KdeEndToEndTest::aStoredHotKeyStartsAndStopsPlayback()
{
    KdeSession session(outputs(1));
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
    // Plasma 6 asks at the first playback.
    if (session.remoteDesktopVersion() >= 2)
        QVERIFY2(session.answerRemoteControlDialog(20000), qPrintable(session.errorString()));
    QCOMPARE(buttonsOf(recorder.take(2, 8000)), clickLines(1, 300, 100));
    QVERIFY(session.pressKeys({"29+56+25"}));
    recorder.collectFor(300);
    QVERIFY2(recorder.collectFor(1500).empty(), "the second press did not stop the run");
}

void KdeEndToEndTest::aSecondInstanceIsRefusedTheFirstOnesHotKey()
{
    KdeSession session(outputs(1));
    QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
    session.exportEnvironment();
    QVERIFY(writeProfile("StopMouseClicks%20Key=80\nStopMouseClicks%20Mod=3\n")); // Ctrl+Alt+P
    BoundedProcess first;
    first.discardStandardOutput();
    QVERIFY(first.start(programPath(), {writeSequence(QStringLiteral("endless.tpx"), 0, {row(300, 100, 0)})}));
    // Plasma 6 asks at the first playback.
    if (session.remoteDesktopVersion() >= 2)
        QVERIFY2(session.answerRemoteControlDialog(20000), qPrintable(session.errorString()));
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
    // Plasma 6 may ask again for a second program's session while the
    // first's is open (the restore token is the first's to use).
    if (session.remoteDesktopVersion() >= 2)
        session.answerRemoteControlDialog(5000);
    QVERIFY2(second.waitForExit(15000), "the second run did not end");
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());

    // The first still holds it: one press ends its run.
    QVERIFY(session.pressKeys({"29+56+25"}));
    QVERIFY2(first.waitForExit(10000), "the first run's hot key did not stop it");
    QCOMPARE(first.exitCode(), 0);
}

QUORVEL_TEST_MAIN_CORE(KdeEndToEndTest)
#include "tst_kde_e2e.moc"
